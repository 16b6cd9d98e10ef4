// The remembered-path file byte for byte: "DeprLinkStd.env" in the
// application folder of type 1, C:\BOK\ENV\ here.

#include "ui/RememberedPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "UiTestSupport.h"
#include "compat/file.h"
#include "ui/ConditionsDlg.h"

namespace {

const char kEnvFile[] = "drive_c/BOK/ENV/DeprLinkStd.env";
const char kTempFile[] = "drive_c/BOK/ENV/DeprLinkStd.env.tmp";

class RememberedPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.IsReady()) << home.Error();
        ASSERT_TRUE(
            home.Import(u8R"(
[folder]
type = 1
path = C:\BOK\ENV\
[user]
id = tanaka
first = 1
selected = 5
)")) << home.Error();
        std::memset(&info, 0, sizeof info);
    }
    void TearDown() override { SetRememberedPathSaveInterrupt(false); }

    void SignIn(const char8_t* id, int first, int selected) {
        const std::string text = "[user]\nid = " + std::string(reinterpret_cast<const char*>(id)) +
                                 "\nfirst = " + std::to_string(first) + "\nselected = " + std::to_string(selected) +
                                 "\n";
        ASSERT_TRUE(home.Import(std::u8string(text.begin(), text.end()))) << home.Error();
    }

    BOOL Save(short category, const char* path) {
        CConditionsDlg dialog(nullptr, &info, nullptr);
        return dialog.SaveRememberedPath(category, path, 0, 0);
    }

    UiPlatformHome home;
    StDATAINFO info;
};

TEST_F(RememberedPathTest, TheFirstSaveMakesTheFolderAndOneLine) {
    ASSERT_FALSE(home.Exists("drive_c/BOK"));
    EXPECT_TRUE(Save(3, "C:\\out\\report.xml"));
    EXPECT_EQ(home.ReadFile(kEnvFile), "tanaka/1/5:0/0/3/C:\\out\\report.xml\n");
    EXPECT_FALSE(home.Exists(kTempFile));
}

struct StSaveCase {
    const char* pszTitle;
    std::string strBefore;
    short nCategory;
    const char* pszPath;
    std::string strAfter;
};

class RememberedPathSaveTest : public RememberedPathTest, public ::testing::WithParamInterface<StSaveCase> {};

TEST_P(RememberedPathSaveTest, KeepsEveryOtherLineByteForByte) {
    const StSaveCase& c = GetParam();
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, c.strBefore);
    EXPECT_TRUE(Save(c.nCategory, c.pszPath));
    EXPECT_EQ(home.ReadFile(kEnvFile), c.strAfter);
    EXPECT_FALSE(home.Exists(kTempFile));
}

// "表" (0x95 0x5C) and a remembered path with "/" stay exactly as they were.
INSTANTIATE_TEST_SUITE_P(
    Files, RememberedPathSaveTest,
    ::testing::Values(
        StSaveCase{"replaced and moved to the end",
                   "sato/1/5:0/0/1/C:\\a.xml\ntanaka/1/5:0/0/2/C:\\old.xml\nsuzuki/2/7:9/9/3/D:\\表/x.xml\n", 1,
                   "C:\\new.xml",
                   "sato/1/5:0/0/1/C:\\a.xml\nsuzuki/2/7:9/9/3/D:\\表/x.xml\ntanaka/1/5:0/0/1/C:\\new.xml\n"},
        StSaveCase{"replaced as the first line", "tanaka/1/5:0/0/2/C:\\old.xml\nsato/1/5:0/0/1/C:\\a.xml\n", 2,
                   "C:\\old.xml", "sato/1/5:0/0/1/C:\\a.xml\ntanaka/1/5:0/0/2/C:\\old.xml\n"},
        StSaveCase{"another data number appended", "tanaka/1/6:0/0/2/C:\\six.xml\n", 3, "C:\\five.xml",
                   "tanaka/1/6:0/0/2/C:\\six.xml\ntanaka/1/5:0/0/3/C:\\five.xml\n"},
        StSaveCase{"a user whose ID ends in ours is another user", "xtanaka/1/5:0/0/2/C:\\x.xml\n", 1, "C:\\t.xml",
                   "xtanaka/1/5:0/0/2/C:\\x.xml\ntanaka/1/5:0/0/1/C:\\t.xml\n"},
        StSaveCase{"the key inside a line matches nothing", "sato/1/5:0/0/1/C:\\tanaka/1/5:x.xml\n", 1, "C:\\t.xml",
                   "sato/1/5:0/0/1/C:\\tanaka/1/5:x.xml\ntanaka/1/5:0/0/1/C:\\t.xml\n"},
        StSaveCase{"a path with slashes", "", 2, "C:\\a/b/c.xml", "tanaka/1/5:0/0/2/C:\\a/b/c.xml\n"},
        StSaveCase{"a last line without its line feed is ended first", "sato/1/5:0/0/1/C:\\a.xml", 3, "C:\\t.xml",
                   "sato/1/5:0/0/1/C:\\a.xml\ntanaka/1/5:0/0/3/C:\\t.xml\n"},
        StSaveCase{"the found line was the last, without its line feed",
                   "sato/1/5:0/0/1/C:\\a.xml\ntanaka/1/5:0/0/2/C:\\o", 3, "C:\\t.xml",
                   "sato/1/5:0/0/1/C:\\a.xml\ntanaka/1/5:0/0/3/C:\\t.xml\n"},
        StSaveCase{"only the first of two matching lines goes",
                   "tanaka/1/5:0/0/1/C:\\one.xml\ntanaka/1/5:0/0/2/C:\\two.xml\n", 3, "C:\\t.xml",
                   "tanaka/1/5:0/0/2/C:\\two.xml\ntanaka/1/5:0/0/3/C:\\t.xml\n"}),
    [](const ::testing::TestParamInfo<StSaveCase>& info) { return "Case" + std::to_string(info.index); });

std::string Repeat(const char* text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

struct StLoadCase {
    const char* pszTitle;
    std::string strFile;
    bool bFound;
    int nA, nB;
    short nCategory;
    std::string strPath;
};

class RememberedPathLoadTest : public RememberedPathTest, public ::testing::WithParamInterface<StLoadCase> {};

TEST_P(RememberedPathLoadTest, ReadsTheFirstLineThatStartsWithTheKey) {
    const StLoadCase& c = GetParam();
    SCOPED_TRACE(c.pszTitle);
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, c.strFile);
    CConditionsDlg dialog(nullptr, &info, nullptr);
    short category = -1;
    char path[261];
    std::memset(path, 'x', sizeof path);
    int a = -1, b = -1;
    EXPECT_EQ(dialog.LoadRememberedPath(&category, path, &a, &b), c.bFound ? TRUE : FALSE);
    EXPECT_EQ(category, c.nCategory);
    EXPECT_EQ(a, c.nA);
    EXPECT_EQ(b, c.nB);
    EXPECT_EQ(std::string(path), c.strPath);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RememberedPathLoadTest,
    ::testing::Values(
        StLoadCase{"plain", "tanaka/1/5:0/0/3/C:\\out\\r.xml\n", true, 0, 0, 3, "C:\\out\\r.xml"},
        StLoadCase{"reserved numbers", "tanaka/1/5:12/34/2/C:\\r.xml\n", true, 12, 34, 2, "C:\\r.xml"},
        StLoadCase{"slashes in the path", "tanaka/1/5:0/0/1/C:\\a/b/c.xml\n", true, 0, 0, 1, "C:\\a/b/c.xml"},
        StLoadCase{"after other lines, no final LF", "sato/1/5:0/0/1/C:\\s.xml\ntanaka/1/5:0/0/2/C:\\t.xml", true, 0, 0,
                   2, "C:\\t.xml"},
        StLoadCase{"the first of two", "tanaka/1/5:0/0/1/C:\\1.xml\ntanaka/1/5:0/0/2/C:\\2.xml\n", true, 0, 0, 1,
                   "C:\\1.xml"},
        StLoadCase{"an empty path", "tanaka/1/5:0/0/3/\n", true, 0, 0, 3, ""},
        StLoadCase{"a longer ID ending in ours", "xtanaka/1/5:0/0/3/C:\\x.xml\n", false, 0, 0, 0, ""},
        StLoadCase{"another data number", "tanaka/1/6:0/0/3/C:\\x.xml\n", false, 0, 0, 0, ""},
        StLoadCase{"fewer than three slashes", "tanaka/1/5:0/0/3\n", false, 0, 0, 0, ""},
        StLoadCase{"a path longer than the buffer is cut to 260 bytes",
                   "tanaka/1/5:0/0/3/C:\\" + std::string(300, 'p') + "\n", true, 0, 0, 3,
                   "C:\\" + std::string(257, 'p')},
        StLoadCase{"the cut keeps double-byte characters whole", "tanaka/1/5:0/0/3/C:\\" + Repeat("表", 150) + "\n",
                   true, 0, 0, 3, "C:\\" + Repeat("表", 128)},
        StLoadCase{"an empty file", "", false, 0, 0, 0, ""}),
    [](const ::testing::TestParamInfo<StLoadCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(RememberedPathTest, WithoutAFileNothingIsFound) {
    CConditionsDlg dialog(nullptr, &info, nullptr);
    short category = 7;
    char path[261] = "junk";
    EXPECT_FALSE(dialog.LoadRememberedPath(&category, path));
    EXPECT_EQ(category, 0);
    EXPECT_STREQ(path, "");
}

// A run started by the host saves no path: the one read at the start stays.
TEST_F(RememberedPathTest, SavingWithoutAPathKeepsTheRememberedOne) {
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, "tanaka/1/5:0/0/1/C:\\kept.xml\nsato/1/5:0/0/1/C:\\s.xml\n");
    CConditionsDlg dialog(nullptr, &info, nullptr);
    short category = 0;
    ASSERT_TRUE(dialog.LoadRememberedPath(&category, dialog.m_szRememberedPath));
    EXPECT_TRUE(dialog.SaveRememberedPath(3, nullptr, 0, 0));
    EXPECT_EQ(home.ReadFile(kEnvFile), "sato/1/5:0/0/1/C:\\s.xml\ntanaka/1/5:0/0/3/C:\\kept.xml\n");

    CConditionsDlg fresh(nullptr, &info, nullptr);  // nothing read: an empty path
    SignIn(u8"sato", 1, 6);
    EXPECT_TRUE(fresh.SaveRememberedPath(2, nullptr, 0, 0));
    EXPECT_EQ(home.ReadFile(kEnvFile), "sato/1/5:0/0/1/C:\\s.xml\ntanaka/1/5:0/0/3/C:\\kept.xml\nsato/1/6:0/0/2/\n");
}

// Another run reading the file does not keep the dialog from reading it.
TEST_F(RememberedPathTest, ALoadSharesTheFileWithOtherReaders) {
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, "tanaka/1/5:0/0/2/C:\\mine.xml\n");
    CFile reader;
    ASSERT_TRUE(reader.Open("C:\\BOK\\ENV\\DeprLinkStd.env", CFile::modeRead | CFile::shareDenyWrite));
    CConditionsDlg dialog(nullptr, &info, nullptr);
    short category = 0;
    ASSERT_TRUE(dialog.LoadRememberedPath(&category, dialog.m_szRememberedPath));
    EXPECT_EQ(category, 2);
    EXPECT_STREQ(dialog.m_szRememberedPath, "C:\\mine.xml");
}

// A file held by another process for longer than the load waits is left
// alone, and a later save without a path keeps the path the file holds
// instead of an empty one.  While the file stays held, the save writes
// nothing.
TEST_F(RememberedPathTest, ABusyFileNeverLosesItsPath) {
    const std::string before = "sato/1/5:0/0/1/C:\\s.xml\ntanaka/1/5:0/0/2/C:\\mine.xml\n";
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, before);
    CConditionsDlg dialog(nullptr, &info, nullptr);
    {
        CFile saver;
        ASSERT_TRUE(saver.Open("C:\\BOK\\ENV\\DeprLinkStd.env", CFile::modeReadWrite | CFile::shareExclusive));
        short category = 7;
        EXPECT_FALSE(dialog.LoadRememberedPath(&category, dialog.m_szRememberedPath));
        EXPECT_EQ(category, 0);
        EXPECT_STREQ(dialog.m_szRememberedPath, "");
        EXPECT_FALSE(dialog.SaveRememberedPath(3, nullptr, 0, 0));
        EXPECT_EQ(home.ReadFile(kEnvFile), before);
        EXPECT_FALSE(home.Exists(kTempFile));
    }
    EXPECT_TRUE(dialog.SaveRememberedPath(3, nullptr, 0, 0));
    EXPECT_EQ(home.ReadFile(kEnvFile), "sato/1/5:0/0/1/C:\\s.xml\ntanaka/1/5:0/0/3/C:\\mine.xml\n");
}

// Stopped after the temporary file is complete, as a killed process would
// be: the file keeps its old bytes; the next save goes through.
TEST_F(RememberedPathTest, AnInterruptedReplacementLeavesTheOldFile) {
    const std::string before = "sato/1/5:0/0/1/C:\\a.xml\ntanaka/1/5:0/0/2/C:\\old.xml\nsuzuki/2/7:0/0/3/D:\\s.xml\n";
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, before);

    SetRememberedPathSaveInterrupt(true);
    EXPECT_FALSE(Save(1, "C:\\new.xml"));
    EXPECT_EQ(home.ReadFile(kEnvFile), before);
    EXPECT_EQ(home.ReadFile(kTempFile),
              "sato/1/5:0/0/1/C:\\a.xml\nsuzuki/2/7:0/0/3/D:\\s.xml\ntanaka/1/5:0/0/1/C:\\new.xml\n");

    SetRememberedPathSaveInterrupt(false);
    EXPECT_TRUE(Save(1, "C:\\new.xml"));
    EXPECT_EQ(home.ReadFile(kEnvFile),
              "sato/1/5:0/0/1/C:\\a.xml\nsuzuki/2/7:0/0/3/D:\\s.xml\ntanaka/1/5:0/0/1/C:\\new.xml\n");
    EXPECT_FALSE(home.Exists(kTempFile));
}

// Positions beyond 32767 bytes: the entry sits at about 40000 bytes and the
// file grows past 80000.
TEST_F(RememberedPathTest, LargeFilesKeepEveryByte) {
    std::string head, tail;
    for (int i = 0; i < 400; ++i)
        head += "user" + std::to_string(i) + "/1/5:0/0/1/C:\\" + std::string(80, 'h') + ".xml\n";
    for (int i = 0; i < 400; ++i)
        tail += "other" + std::to_string(i) + "/2/9:0/0/2/C:\\" + std::string(80, 't') + ".xml\n";
    const std::string entry = "tanaka/1/5:0/0/2/C:\\old.xml\n";
    ASSERT_GT(head.size(), 32768u);
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, head + entry + tail);

    CConditionsDlg dialog(nullptr, &info, nullptr);
    short category = 0;
    char path[261] = {};
    ASSERT_TRUE(dialog.LoadRememberedPath(&category, path));
    EXPECT_EQ(category, 2);
    EXPECT_STREQ(path, "C:\\old.xml");

    EXPECT_TRUE(Save(3, "C:\\new.xml"));
    EXPECT_EQ(home.ReadFile(kEnvFile), head + tail + "tanaka/1/5:0/0/3/C:\\new.xml\n");
}

// The output checks take paths of up to 260 bytes, so the file must give
// back every one of them; one byte more could not be read back whole.
TEST_F(RememberedPathTest, APathOf260BytesComesBackWholeAndOneOf261IsNotSaved) {
    struct {
        const char* pszTitle;
        std::string strPath;
    } const cases[] = {
        {"single-byte", "C:\\" + std::string(253, 'p') + ".xml"},
        {"ending in a double-byte character with trail byte 0x5C", "C:\\" + std::string(255, 'p') + "表"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTitle);
        ASSERT_EQ(c.strPath.size(), 260u);
        EXPECT_TRUE(Save(2, c.strPath.c_str()));
        EXPECT_EQ(home.ReadFile(kEnvFile), "tanaka/1/5:0/0/2/" + c.strPath + "\n");

        CConditionsDlg dialog(nullptr, &info, nullptr);
        short category = 0;
        char path[261];
        std::memset(path, 'x', sizeof path);
        ASSERT_TRUE(dialog.LoadRememberedPath(&category, path));
        EXPECT_EQ(category, 2);
        EXPECT_EQ(std::string(path), c.strPath);

        const std::string before = home.ReadFile(kEnvFile);
        EXPECT_FALSE(Save(3, (c.strPath + "x").c_str()));
        EXPECT_EQ(home.ReadFile(kEnvFile), before);
        EXPECT_FALSE(home.Exists(kTempFile));
    }
}

TEST_F(RememberedPathTest, RefusedSavesWriteNothing) {
    const std::string before = "sato/1/5:0/0/1/C:\\a.xml\n";
    home.MakeDir("drive_c/BOK/ENV");
    home.WriteFile(kEnvFile, before);
    struct {
        const char* pszTitle;
        std::string strPath;
    } const cases[] = {
        // A line feed would make the rest of the path a line of its own.
        {"a line feed in the path", "C:\\a.xml\nsato/1/5:0/0/3/C:\\evil.xml"},
        {"a path longer than can be read back", "C:\\" + std::string(300, 'p')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTitle);
        EXPECT_FALSE(Save(1, c.strPath.c_str()));
        EXPECT_EQ(home.ReadFile(kEnvFile), before);
        EXPECT_FALSE(home.Exists(kTempFile));
    }
}

TEST(RememberedPathNoFolderTest, NoFolderOfTypeOneMeansNoFile) {
    UiPlatformHome bare;
    ASSERT_TRUE(bare.Import(u8"[user]\nid = tanaka\nselected = 5\n")) << bare.Error();
    StDATAINFO info{};
    CConditionsDlg dialog(nullptr, &info, nullptr);
    EXPECT_FALSE(dialog.SaveRememberedPath(1, "C:\\a.xml", 0, 0));
    short category = 0;
    char path[261] = {};
    EXPECT_FALSE(dialog.LoadRememberedPath(&category, path));
    EXPECT_TRUE(std::filesystem::is_empty(bare.File("drive_c")));
}

TEST_F(RememberedPathTest, AFolderThatCannotBeMadeMeansNoFile) {
    home.MakeDir("drive_c");
    home.WriteFile("drive_c/BOK", "a file where the folder goes");
    EXPECT_FALSE(Save(1, "C:\\a.xml"));
    EXPECT_EQ(home.ReadFile("drive_c/BOK"), "a file where the folder goes");
}

TEST_F(RememberedPathTest, AFileThatCannotBeWrittenIsLeftAsItWas) {
    // The file is a folder: it can be neither read nor replaced.
    home.MakeDir(kEnvFile);
    EXPECT_FALSE(Save(1, "C:\\a.xml"));
    EXPECT_TRUE(home.IsDir(kEnvFile));
}

}  // namespace
