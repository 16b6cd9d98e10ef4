// The output path's text operations, checks and folder creation over a
// drive table of the test's own.

#include "ui/OutputPath.h"

#include <gtest/gtest.h>

#include <cstring>

#include "UiTestSupport.h"

namespace {

// "表" is 0x95 0x5C and "ポ" 0x83 0x7C in code page 932: their second
// bytes look like "\\" and "|".
static_assert(sizeof("表") == 3 && "表"[1] == '\\');
static_assert(sizeof("ポ") == 3 && "ポ"[1] == '|');

class OutputPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDrives(home,
                  {
                      "C:               fixed      drive_c",
                      "E:               removable  drive_e",
                      "S:               remote     drive_s",
                      "Q:               cdrom      drive_q",
                      "M:               ramdisk    drive_m",
                      "U:               unknown    drive_u",
                      "N:               noroot     drive_n",
                      "R:               fixed      drive_r   ro",
                      "G:               fixed      gone",
                      "\\\\SERVER\\share    remote  share",
                      "\\\\SERVER\\roshare  remote  roshare  ro",
                  },
                  {"drive_c", "drive_e", "drive_s", "drive_q", "drive_m", "drive_u", "drive_n", "drive_r", "share",
                   "roshare"});
    }

    testsupport::ScopedPlatformHome home{"deprlink-ui"};
};

struct StPartsCase {
    const char* pszPath;
    const char* pszFolder;
    const char* pszFileName;
    const char* pszDrive;
    const char* pszAfterDrive;
};

TEST(OutputPathPartsTest, SplitsAtTheLastSeparatorOrColon) {
    const StPartsCase cases[] = {
        {"C:\\out\\report.xml", "C:\\out\\", "report.xml", "C:", "\\out\\report.xml"},
        {"C:\\out\\", "C:\\out\\", "", "C:", "\\out\\"},
        {"C:report.xml", "", "C:report.xml", "C:", "report.xml"},
        {"report.xml", "", "report.xml", "", "report.xml"},
        {"", "", "", "", ""},
        // The 0x5C inside "表" is no separator.
        {"C:\\表.xml", "C:\\", "表.xml", "C:", "\\表.xml"},
        {"C:\\a\\表", "C:\\a\\", "表", "C:", "\\a\\表"},
        {"\\\\SERVER\\share\\x.xml", "\\\\SERVER\\share\\", "x.xml", "", "\\\\SERVER\\share\\x.xml"},
    };
    for (const StPartsCase& c : cases) {
        SCOPED_TRACE(c.pszPath);
        EXPECT_EQ(FolderPart(c.pszPath), c.pszFolder);
        EXPECT_EQ(FileNamePart(c.pszPath), c.pszFileName);
        EXPECT_EQ(DrivePart(c.pszPath), c.pszDrive);
        EXPECT_EQ(AfterDrivePart(c.pszPath), c.pszAfterDrive);
    }
}

struct StCheckCase {
    const char* pszPath;
    bool bExpected;
};

TEST(OutputPathCharsTest, RefusesTheListedCharactersAndDoubledSeparators) {
    const StCheckCase cases[] = {
        {"C:\\out\\report.xml", false},
        {"C:\\out\\*.xml", true},
        {"C:\\out\\a?.xml", true},
        {"C:\\a,b.xml", true},
        {"C:\\a;b.xml", true},
        {"C:\\a/b.xml", true},
        {"C:\\a:b.xml", true},
        {"C:\\a\"b.xml", true},
        {"C:\\a<b.xml", true},
        {"C:\\a>b.xml", true},
        {"C:\\a|b.xml", true},
        {"C:\\a\\\\b.xml", true},
        {"\\C:\\a.xml", false},
        {"*:\\a.xml", false},      // before the first colon nothing is examined
        {"*a.xml", true},          // without a colon the first byte is examined too
        {"C:\\ポ.xml", false},     // 0x7C as a second byte is no "|"
        {"C:\\表\\a.xml", false},  // nor 0x5C 0x5C across a character
        {"\\\\SERVER\\share\\a.xml", false},
        {"\\\\SERVER\\share\\\\a.xml", true},
        {"\\\\SERVER\\share\\a:b.xml", true},
        {"\\\\SERVER\\share\\a,b.xml", true},
    };
    for (const StCheckCase& c : cases) {
        SCOPED_TRACE(c.pszPath);
        EXPECT_EQ(HasInvalidChars(c.pszPath), c.bExpected);
    }
}

TEST_F(OutputPathTest, UsesOnlyWritableDrivesOfTheAcceptedTypes) {
    const StCheckCase cases[] = {
        {"C:\\out\\a.xml", true},
        {"c:\\out\\a.xml", true},
        {"E:\\a.xml", true},
        {"S:\\a.xml", true},   // a network drive under a letter
        {"Q:\\a.xml", false},  // CD-ROM
        {"M:\\a.xml", false},  // RAM disk
        {"U:\\a.xml", false},  // unknown
        {"N:\\a.xml", false},  // no root directory
        {"R:\\a.xml", false},  // fixed but read-only
        {"G:\\a.xml", false},  // its folder is missing
        {"X:\\a.xml", false},  // not in the table
        {"1:\\a.xml", false},
        {"C:\\a\\\\b.xml", false},
        {"\\\\SERVER\\share\\a.xml", true},
        {"\\\\server\\SHARE\\dir\\a.xml", true},
        {"\\\\SERVER\\roshare\\a.xml", false},
        {"\\\\SERVER\\share", false},  // no separator after the share name
        {"\\\\SERVER", false},
        {"\\\\OTHER\\share\\a.xml", false},
    };
    for (const StCheckCase& c : cases) {
        SCOPED_TRACE(c.pszPath);
        EXPECT_EQ(IsDriveUsable(c.pszPath), c.bExpected);
    }
}

TEST_F(OutputPathTest, ChecksDriveLettersByTypeAndAccess) {
    struct {
        int nLetter;
        int nMode;
        bool bExpected;
    } const cases[] = {
        {'C', 6, true},  {'c', 6, true},  {'R', 4, true},  {'R', 6, false},  {'Q', 4, false},
        {'X', 0, false}, {'@', 0, false}, {'[', 0, false}, {0x95, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nLetter);
        EXPECT_EQ(CheckDriveLetter(c.nLetter, c.nMode), c.bExpected);
    }
}

TEST(OutputPathNormaliseTest, KeepsDriveAndDirectory) {
    const std::string longDir = "C:\\" + std::string(255, 'd') + "\\x";  // directory of 257 bytes
    struct {
        std::string strPath;
        size_t nSize;
        bool bExpected;
        const char* pszResult;
    } const cases[] = {
        {"C:\\dir\\file.xml", 261, true, "C:\\dir\\"},
        {"C:\\dir\\sub\\", 261, true, "C:\\dir\\sub\\"},
        {"C:file.xml", 261, true, "C:\\"},
        {"C:", 261, true, "C:\\"},
        {"\\\\SERVER\\share\\d\\f.xml", 261, true, "\\\\SERVER\\share\\d\\"},
        {"C:\\表\\a", 261, true, "C:\\表\\"},
        {"file.xml", 261, false, nullptr},
        {"", 261, false, nullptr},
        {"C:file.xml", 3, true, "C:"},  // no room for the separator
        {"C:\\dir\\file.xml", 7, false, nullptr},
        {longDir, 261, false, nullptr},
        {"C:\\" + std::string(300, 'a'), 261, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strPath);
        char buffer[400] = {};
        std::snprintf(buffer, sizeof buffer, "%s", c.strPath.c_str());
        ASSERT_EQ(NormaliseFolder(buffer, c.nSize), c.bExpected);
        if (c.bExpected) {
            EXPECT_STREQ(buffer, c.pszResult);
        }
    }
}

TEST_F(OutputPathTest, FolderExistsLooksAtTheFolderOfThePath) {
    home.MakeDir("drive_c/out");
    home.WriteFile("drive_c/out/file.xml", "x");
    const StCheckCase cases[] = {
        {"C:\\out\\", true},      {"C:\\out\\anything.xml", true},
        {"c:\\OUT\\", false},     {"C:\\out\\file.xml\\", false},
        {"C:\\missing\\", false}, {"X:\\", false},
    };
    for (const StCheckCase& c : cases) {
        SCOPED_TRACE(c.pszPath);
        EXPECT_EQ(FolderExists(c.pszPath), c.bExpected);
    }
}

TEST_F(OutputPathTest, EnsureFolderCreatesEveryMissingLevel) {
    home.MakeDir("drive_c/base");
    EXPECT_TRUE(EnsureFolder("C:\\base\\new1\\new2\\"));
    EXPECT_TRUE(home.IsDir("drive_c/base/new1/new2"));
    EXPECT_TRUE(EnsureFolder("C:\\base\\new1\\new2\\"));  // all there already
    EXPECT_TRUE(EnsureFolder("\\\\SERVER\\share\\n1\\n2\\"));
    EXPECT_TRUE(home.IsDir("share/n1/n2"));
    EXPECT_TRUE(EnsureFolder("C:\\"));
}

// A level that cannot be made: the levels the call created before it go
// again, the folders that stood before stay.  The host refuses a name of
// more than 255 bytes; 100 "表" are 200 bytes here and 300 in UTF-8.
TEST_F(OutputPathTest, EnsureFolderRemovesTheLevelsItCreatedWhenALevelFails) {
    std::string tooLong;
    for (int i = 0; i < 100; ++i) tooLong += "表";
    struct {
        const char* pszTitle;
        std::string strFolder;
        const char* pszKept;     // below drive_c: must still be a folder
        const char* pszRemoved;  // below drive_c: must be gone
    } const cases[] = {
        {"second new level too long", "C:\\base\\new1\\" + tooLong + "\\", "base", "base/new1"},
        {"third new level too long", "C:\\base\\new1\\new2\\" + tooLong + "\\", "base", "base/new1"},
        {"a file where the level goes", "C:\\base\\old\\file\\new\\", "base/old", "base/old/file/new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTitle);
        home.MakeDir("drive_c/base/old");
        home.WriteFile("drive_c/base/old/file", "bytes");
        EXPECT_FALSE(EnsureFolder(c.strFolder.c_str()));
        EXPECT_TRUE(home.IsDir(std::string("drive_c/") + c.pszKept));
        EXPECT_FALSE(home.Exists(std::string("drive_c/") + c.pszRemoved));
        EXPECT_EQ(home.ReadFile("drive_c/base/old/file"), "bytes");
        std::filesystem::remove_all(home.File("drive_c/base"));
    }
}

TEST_F(OutputPathTest, EnsureFolderOnAReadOnlyDriveCreatesNothing) {
    EXPECT_FALSE(EnsureFolder("R:\\new1\\new2\\"));
    EXPECT_FALSE(home.Exists("drive_r/new1"));
}

TEST_F(OutputPathTest, EnsureFolderRefusesWhatHasNoRoot) {
    for (const char* folder : {"", "relative\\dir\\", "X:\\a\\"}) {
        SCOPED_TRACE(folder);
        EXPECT_FALSE(EnsureFolder(folder));
    }
}

TEST_F(OutputPathTest, RemoveCreatedFoldersStopsAtTheStopFolder) {
    struct {
        const char* pszPath;
        const char* pszStop;
        bool bExpected;
        bool bAExists, bBExists, bCExists;  // drive_c/a, a/b, a/b/c afterwards
    } const cases[] = {
        {"C:\\a\\b\\c\\", "C:\\a\\", true, true, false, false},
        {"C:\\a\\b\\c\\", "c:\\A\\", true, true, false, false},  // without regard to case
        {"C:\\a\\b\\c\\", "C:\\", true, false, false, false},
        {"C:\\a\\b\\c\\", "C:\\a\\b\\c\\", true, true, true, true},
        {"C:\\a\\b\\c\\x.xml", "C:\\a\\b\\", true, true, true, false},
        {"C:\\a\\b\\c\\", "C:\\x\\", false, true, true, true},  // not above the path
        {"C:\\a\\b\\c\\", "E:\\a\\", false, true, true, true},  // another root
        {"C:\\a\\b\\c\\", "C:\\a\\b\\c\\d\\", false, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszPath) + " " + c.pszStop);
        home.MakeDir("drive_c/a/b/c");
        EXPECT_EQ(RemoveCreatedFolders(c.pszPath, c.pszStop), c.bExpected);
        EXPECT_EQ(home.IsDir("drive_c/a"), c.bAExists);
        EXPECT_EQ(home.IsDir("drive_c/a/b"), c.bBExists);
        EXPECT_EQ(home.IsDir("drive_c/a/b/c"), c.bCExists);
        std::filesystem::remove_all(home.File("drive_c/a"));
    }
}

TEST_F(OutputPathTest, RemoveCreatedFoldersNeverEmptiesAFolderThatHoldsFiles) {
    home.MakeDir("drive_c/a/b");
    home.WriteFile("drive_c/a/b/keep.txt", "x");
    EXPECT_FALSE(RemoveCreatedFolders("C:\\a\\b\\", "C:\\"));
    EXPECT_EQ(home.ReadFile("drive_c/a/b/keep.txt"), "x");
}

}  // namespace
