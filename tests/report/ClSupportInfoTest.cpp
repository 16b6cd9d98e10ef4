#include "report/ClSupportInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportTestSupport.h"
#include "compat/msgbox.h"
#include "compat/testhooks.h"

using testsupport::TempFolder;

namespace {

const std::string kNameKey = "[=製品名=]";
const std::string kVersionKey = "[=製品ﾊﾞｰｼﾞｮﾝ=]";

// Each test runs in a folder of its own, where SUPPORT.INF is looked for.
class SupportInfoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ok()); }
    void WriteSupportInfo(const std::string& bytes) { reporttest::WriteFile(m_dir.File("SUPPORT.INF"), bytes); }

    TempFolder m_dir{"deprlink-report"};
    reporttest::ScopedChdir m_cwd{m_dir.Path()};
};

struct SupportInfoCase {
    const char* label;
    std::string file;
    std::string name;
    std::string version;
};

const SupportInfoCase kCases[] = {
    {"lines in CR LF", "[=会社=]x\r\n" + kNameKey + "ミルダン１９\r\n" + kVersionKey + "19.00.05\r\n", "ミルダン１９",
     "19.00.05"},
    {"last line without CR LF", kNameKey + "N\r\n" + kVersionKey + "19.00.07", "N", "19.00.07"},
    {"end-of-file mark after the last line", kVersionKey + "19.00.08\r\n\x1A", "", "19.00.08"},
    {"end-of-file mark right after the value",
     kNameKey + "P\x1A"
                "junk",
     "P", ""},
    {"key anywhere in its line", "note: " + kNameKey + "Q\r\n", "Q", ""},
    {"first match wins", kNameKey + "first\r\n" + kNameKey + "second\r\n", "first", ""},
    {"key with nothing after it", kNameKey + "\r\n" + kVersionKey, "", ""},
    {"version key in full-width katakana", "[=製品バージョン=]19.00.09\r\n", "", ""},
    {"lone CR and LF belong to the value", kNameKey + "a\rb\nc\r\n", "a\rb\nc", ""},
    {"a value of several lines ends with its first", kNameKey + "one\r\ntwo\r\n", "one", ""},
    {"key split by CR LF", "[=製品\r\n名=]x\r\n", "", ""},
    {"keys beyond 30000 bytes", std::string(30000, 'x') + kNameKey + "late\r\n" + kVersionKey + "9\r\n", "", ""},
    {"key straddling the 30000th byte", std::string(29995, 'x') + kNameKey + "late\r\n", "", ""},
    // The value runs to the last byte of the block; it still ends there.
    {"value up to the block's end", std::string(29980, 'x') + kNameKey + std::string(10, 'v') + "cut off",
     std::string(10, 'v'), ""},
    {"empty file", "", "", ""},
};

TEST_F(SupportInfoTest, LookupsTable) {
    for (const SupportInfoCase& c : kCases) {
        WriteSupportInfo(c.file);
        ClSupportInfo info;
        EXPECT_EQ(info.Load(), 1) << c.label;
        EXPECT_EQ(std::string(info.GetProductName()), c.name) << c.label;
        EXPECT_EQ(std::string(info.GetProductVersion()), c.version) << c.label;
    }
}

TEST_F(SupportInfoTest, LookupsLoadThemselves) {
    WriteSupportInfo(kVersionKey + "19.00.03\r\n");
    ClSupportInfo info;
    EXPECT_EQ(std::string(info.GetProductVersion()), "19.00.03");
}

TEST_F(SupportInfoTest, FileIsReadOnlyOnce) {
    WriteSupportInfo(kNameKey + "before\r\n" + kVersionKey + "1.0\r\n");
    ClSupportInfo info;
    EXPECT_EQ(std::string(info.GetProductName()), "before");
    WriteSupportInfo(kNameKey + "after\r\n" + kVersionKey + "2.0\r\n");
    EXPECT_EQ(std::string(info.GetProductVersion()), "1.0");
    EXPECT_EQ(std::string(info.GetProductName()), "before");
}

TEST_F(SupportInfoTest, AbsentFileIsLookedForOnce) {
    ClSupportInfo info;
    EXPECT_EQ(info.Load(), 0);
    WriteSupportInfo(kNameKey + "late\r\n");
    EXPECT_EQ(info.Load(), 1);
    EXPECT_STREQ(info.GetProductName(), "");
    EXPECT_STREQ(info.GetProductVersion(), "");
}

TEST_F(SupportInfoTest, FolderNamedLikeTheFileGivesNoValues) {
    std::filesystem::create_directory(m_dir.File("SUPPORT.INF"));
    ClSupportInfo info;
    EXPECT_STREQ(info.GetProductName(), "");
    EXPECT_STREQ(info.GetProductVersion(), "");
}

TEST_F(SupportInfoTest, OutOfMemorySaysSoAndTriesAgain) {
    WriteSupportInfo(kNameKey + "N\r\n");
    compat::SetAppName("DeprLinkStd");
    testsupport::MessageRecorder messages;
    ClSupportInfo info;
    compat::FailNextGlobalAllocs(2);
    EXPECT_EQ(info.Load(), 0);
    EXPECT_STREQ(info.GetProductName(), "");
    ASSERT_EQ(messages.messages.size(), 2u);
    for (const testsupport::ShownMessage& m : messages.messages) {
        EXPECT_EQ(m.text, "ﾒﾓﾘが不足しています。");
        EXPECT_EQ(m.caption, "DeprLinkStd");
        EXPECT_EQ(m.type, MB_OK);
    }
    EXPECT_STREQ(info.GetProductName(), "N");
    EXPECT_EQ(messages.messages.size(), 2u);
}

}  // namespace
