#include <cstring>
#include <vector>

#include "TestHome.h"
#include "platform/BokBCore.h"
#include "platform/BokCmn.h"

namespace {

// Imported out of order: the walk must sort them by their first day.
const char8_t kEras[] =
    u8R"(
[era]
start = 20190501
name = 令和
[era]
start = 19890108
name = 平成
number = 4
)";

ClSetGengo* Eras() { return static_cast<ClSetGengo*>(ClDataMgr::Inst()->GetSetMgr()->GetSetObject(13, 0)); }

class ClSetGengoTest : public testing::Test {
protected:
    void SetUp() override { m_home.Import(reinterpret_cast<const char*>(kEras)); }
    TestHome m_home;
};

TEST_F(ClSetGengoTest, WalksInAscendingOrderOfFirstDay) {
    ClSetGengo* eras = Eras();
    BOKCURSOR cursor = nullptr;
    ASSERT_EQ(eras->GetCursor(&cursor), 0);
    ASSERT_EQ(eras->Ready(cursor), 0);
    unsigned char raw[2][sizeof(StGENGOINFO)];
    std::memset(raw, 0xee, sizeof raw);
    EXPECT_EQ(eras->Walk(reinterpret_cast<StGENGOINFO*>(raw[0]), cursor), 0);
    EXPECT_EQ(eras->Walk(reinterpret_cast<StGENGOINFO*>(raw[1]), cursor), 0);
    StGENGOINFO end;
    EXPECT_EQ(eras->Walk(&end, cursor), BOK_NO_MORE_RECORDS);
    EXPECT_EQ(eras->ReleaseCursor(cursor), 0);
    EXPECT_EQ(bok::OpenCursorCount(), 0);

    // 平成: number 4, 19890108; 令和, imported first without a number: 1.
    const unsigned char heisei[24] = {4, 0, 0, 0, 0xbc, 0x7f, 0x2f, 0x01, 0x95, 0xbd, 0x90, 0xac};
    const unsigned char reiwa[24] = {1, 0, 0, 0, 0x25, 0x15, 0x34, 0x01, 0x97, 0xdf, 0x98, 0x61};
    EXPECT_EQ(std::memcmp(raw[0], heisei, 24), 0);
    EXPECT_EQ(std::memcmp(raw[1], reiwa, 24), 0);
}

struct EraFault {
    const char* name;
    const char* operation;
    long atIndex;
    size_t delivered;
};

const EraFault kEraFaults[] = {
    {"GetCursor", "Gengo.GetCursor", -1, 0},
    {"Ready", "Gengo.Ready", -1, 0},
    {"WalkEveryCall", "Gengo.Walk", -1, 0},
    {"WalkAtIndex1", "Gengo.Walk", 1, 1},
};

class ClSetGengoFaultTest : public ClSetGengoTest, public testing::WithParamInterface<EraFault> {};

TEST_P(ClSetGengoFaultTest, AnswersTheStatusAndLeavesNoCursor) {
    const EraFault& fault = GetParam();
    m_home.Fault(fault.operation, -21, fault.atIndex);
    ClSetGengo* eras = Eras();
    BOKCURSOR cursor = nullptr;
    long status = eras->GetCursor(&cursor);
    size_t delivered = 0;
    if (status == 0) {
        status = eras->Ready(cursor);
        StGENGOINFO era;
        if (status == 0)
            while ((status = eras->Walk(&era, cursor)) == 0) ++delivered;
        EXPECT_EQ(eras->ReleaseCursor(cursor), 0);
    }
    EXPECT_EQ(status, -21);
    EXPECT_EQ(delivered, fault.delivered);
    EXPECT_EQ(bok::OpenCursorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(ClSetGengo, ClSetGengoFaultTest, testing::ValuesIn(kEraFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClSetGengoTest, DataCursorIsNoEraCursor) {
    auto* data = static_cast<ClSetData*>(ClDataMgr::Inst()->GetSetObject(5, 1));
    BOKCURSOR cursor = nullptr;
    ASSERT_EQ(data->GetDatCursor(&cursor), 0);
    EXPECT_EQ(Eras()->Ready(cursor), BOK_ERR_BAD_ARGUMENT);
    EXPECT_EQ(Eras()->ReleaseCursor(cursor), BOK_ERR_BAD_ARGUMENT);
    EXPECT_EQ(data->ReleaseDatCursor(cursor), 0);
}

}  // namespace
