#include <cstring>

#include "TestHome.h"
#include "platform/BokBCore.h"
#include "platform/BokCmn.h"

namespace {

// Two users; signing in the second signs the first out.
const char* const kUsers = R"(
[user]
id = suzuki
first = 3
selected = 7
[user]
id = a-user-id-of-exactly-sixty-four-bytes-01234567890123456789012345
first = 2
selected = 5
)";

ClSysUser* User() { return ClDataMgr::Inst()->GetSysUserObject(); }

TEST(ClSysUserTest, GivesTheSignedInUserAndTheSelection) {
    TestHome home;
    home.Import(kUsers);
    char userId[65];
    std::memset(userId, 0x7f, sizeof userId);
    ASSERT_EQ(User()->GetCurUserID(userId), 0);
    EXPECT_EQ(std::string(userId), "a-user-id-of-exactly-sixty-four-bytes-01234567890123456789012345");
    EXPECT_EQ(userId[64], '\0');

    struct Selection {
        const char* id;
        long status, first, data;
    };
    const Selection selections[] = {
        {userId, 0, 2, 5},
        {"suzuki", 0, 3, 7},
        {"nobody", BOK_ERR_NOT_FOUND, 0, 0},
        {"", BOK_ERR_NOT_FOUND, 0, 0},
    };
    for (const Selection& s : selections) {
        long first = -1, data = -1;
        EXPECT_EQ(User()->GetSelectedNo(s.id, &first, &data), s.status) << s.id;
        EXPECT_EQ(first, s.first) << s.id;
        EXPECT_EQ(data, s.data) << s.id;
    }
}

TEST(ClSysUserTest, NobodySignedIn) {
    TestHome home;
    home.Import("[user]\nid = sato\nselected = 1\ncurrent = no\n");
    char userId[65];
    EXPECT_EQ(User()->GetCurUserID(userId), BOK_ERR_NOT_FOUND);
    EXPECT_STREQ(userId, "");
}

struct UserFault {
    const char* operation;
    long status;
};

class ClSysUserFaultTest : public testing::TestWithParam<UserFault> {};

TEST_P(ClSysUserFaultTest, AnswersTheFaultWithEmptyResults) {
    TestHome home;
    home.Import(kUsers);
    home.Fault(GetParam().operation, GetParam().status);
    char userId[65];
    long first = -1, data = -1;
    const long idStatus = User()->GetCurUserID(userId);
    const long selectionStatus = User()->GetSelectedNo("suzuki", &first, &data);
    if (std::string(GetParam().operation) == "GetCurUserID") {
        EXPECT_EQ(idStatus, GetParam().status);
        EXPECT_STREQ(userId, "");
        EXPECT_EQ(selectionStatus, 0);
    } else {
        EXPECT_EQ(idStatus, 0);
        EXPECT_EQ(selectionStatus, GetParam().status);
        EXPECT_EQ(first, 0);
        EXPECT_EQ(data, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(ClSysUser, ClSysUserFaultTest,
                         testing::Values(UserFault{"GetCurUserID", -31}, UserFault{"GetSelectedNo", -32}),
                         [](const auto& info) { return std::string(info.param.operation); });

}  // namespace
