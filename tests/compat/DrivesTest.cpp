// The drive table: Windows paths onto host folders and back.

#include "compat/drives.h"

#include <unistd.h>

#include <cstdio>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "CompatTestHome.h"

namespace {

using testsupport::ScopedPlatformHome;
using testsupport::U8;

class DrivesTest : public testing::Test {
protected:
    void SetUp() override { compat_test::SetUpStandardDrives(m_home); }
    std::string Home(const std::string& rest) const { return m_home.Path() + rest; }
    ScopedPlatformHome m_home;
};

struct ToHostCase {
    const char* windows;
    std::optional<std::string> hostUnderHome;  // nullopt: refused
};

TEST_F(DrivesTest, ToHostPathMapsLettersSharesAndNames) {
    const ToHostCase cases[] = {
        {"C:\\a\\b.xml", "/drive_c/a/b.xml"},
        {"c:\\A", "/drive_c/A"},
        {"C:\\", "/drive_c/"},
        {"C:", "/drive_c/"},
        {"C:\\a\\", "/drive_c/a/"},
        {"C:\\a\\\\b", "/drive_c/a/b"},
        {"C:\\.\\a\\.\\b", "/drive_c/a/b"},
        {"C:\\a\\..\\..\\..\\b", "/drive_c/b"},  // never above the root
        {"\\\\filesv\\SHARE\\x", "/share/x"},    // shares without regard to case
        {"\\\\FILESV\\share", "/share/"},
        {"C:\\帳表\\a.xml", U8(u8"/drive_c/帳表/a.xml")},  // 表's 0x5C separates nothing
        {"C:\\①㎡", U8(u8"/drive_c/①㎡")},
        {"C:\\ｶﾞ", U8(u8"/drive_c/ｶﾞ")},
        {"\\\\FILESV\\other\\x", std::nullopt},  // unknown share
        {"\\\\FILESV", std::nullopt},
        {"\\\\", std::nullopt},
        {"Q:\\x", std::nullopt},    // unknown drive
        {"C:\\a/b", std::nullopt},  // "/" would make a host folder
        {"C:\\a\\..\\b/..", std::nullopt},
        {"C:\\a*.xml", std::nullopt},
        {"C:\\a:b", std::nullopt},
        {"C:\\x\x85\x40", std::nullopt},  // no such cp932 character
        {"C:\\x\x81", std::nullopt},      // half a character
        {"", std::nullopt},
    };
    for (const ToHostCase& c : cases) {
        SCOPED_TRACE(c.windows);
        std::optional<std::string> host = compat::ToHostPath(c.windows);
        if (c.hostUnderHome)
            EXPECT_EQ(host, Home(*c.hostUnderHome));
        else
            EXPECT_EQ(host, std::nullopt);
    }
    EXPECT_EQ(compat::ToHostPath("Z:\\etc\\hosts"), "/etc/hosts");
    EXPECT_EQ(compat::ToHostPath(nullptr), std::nullopt);
}

TEST_F(DrivesTest, ToHostPathRefusesNamesTheHostCannotHold) {
    // 85 × 表 is 255 bytes of UTF-8, the most a host name holds; 86 is one
    // character too many although the Windows path stays short.
    std::string fits = "C:\\";
    for (int i = 0; i < 85; ++i) fits += "表";
    EXPECT_NE(compat::ToHostPath(fits.c_str()), std::nullopt);
    EXPECT_EQ(compat::ToHostPath((fits + "表").c_str()), std::nullopt);

    // Windows full paths end at MAX_PATH - 1 bytes.
    std::string longest = "C:\\" + std::string(100, 'a') + "\\" + std::string(MAX_PATH - 105, 'b');
    ASSERT_EQ(longest.size(), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_NE(compat::ToHostPath(longest.c_str()), std::nullopt);
    EXPECT_EQ(compat::ToHostPath((longest + "b").c_str()), std::nullopt);
}

TEST_F(DrivesTest, RelativePathsStartAtTheCurrentFolder) {
    std::string sub = m_home.MakeDir("drive_c/sub");
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(sub.c_str()), 0);
    std::optional<std::string> plain = compat::ToHostPath("SUPPORT.INF");
    std::optional<std::string> up = compat::ToHostPath("..\\..\\..\\y");
    std::optional<std::string> rooted = compat::ToHostPath("\\z");
    ASSERT_EQ(chdir(saved), 0);
    EXPECT_EQ(plain, Home("/drive_c/sub/SUPPORT.INF"));
    EXPECT_EQ(up, Home("/drive_c/y"));
    EXPECT_EQ(rooted, Home("/drive_c/z"));
}

TEST_F(DrivesTest, ToWindowsPathTakesTheDeepestDrive) {
    m_home.MakeDir("drive_c/inner");
    m_home.WriteDrives(std::string(compat_test::StandardDrives()) + "E: fixed drive_c/inner\n");
    const struct {
        std::string host;
        std::string windows;
    } cases[] = {
        {Home(U8(u8"/drive_c/a/帳表")), "C:\\a\\帳表"},
        {Home("/drive_c"), "C:\\"},
        {Home("/drive_c/"), "C:\\"},
        {Home("/drive_c/inner/f.xml"), "E:\\f.xml"},
        {Home("/share/x"), "\\\\FILESV\\share\\x"},
        {"/etc/hosts", "Z:\\etc\\hosts"},
        {"/", "Z:\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(compat::ToWindowsPath(c.host), c.windows);
    }
    // A folder that merely begins like a drive's folder is not on it.
    std::string outside = compat::ToWindowsPath(Home("/drive_cx/f"));
    EXPECT_EQ(outside.substr(0, 3), "Z:\\");
    EXPECT_EQ(compat::ToHostPath(outside.c_str()), Home("/drive_cx/f"));
}

TEST_F(DrivesTest, FindDriveReadsTypesFlagsAndFolders) {
    std::optional<compat::Drive> c = compat::FindDrive("c:\\");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->root, "C:");
    EXPECT_EQ(c->type, DRIVE_FIXED);
    EXPECT_EQ(c->hostDir, Home("/drive_c"));
    EXPECT_FALSE(c->readOnly);

    std::optional<compat::Drive> r = compat::FindDrive("R:");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->type, DRIVE_REMOVABLE);
    EXPECT_EQ(r->hostDir, Home("/read only"));
    EXPECT_TRUE(r->readOnly);

    std::optional<compat::Drive> share = compat::FindDrive("\\\\filesv\\share\\");
    ASSERT_TRUE(share);
    EXPECT_EQ(share->type, DRIVE_REMOTE);

    std::optional<compat::Drive> z = compat::FindDrive("Z:\\");
    ASSERT_TRUE(z);
    EXPECT_EQ(z->hostDir, "/");
    EXPECT_EQ(z->type, DRIVE_FIXED);

    EXPECT_FALSE(compat::FindDrive("Q:\\"));
    EXPECT_FALSE(compat::FindDrive("C:\\a"));  // not a root
}

TEST_F(DrivesTest, BadLinesAreSkippedAndChangesAreSeen) {
    testing::internal::CaptureStderr();
    m_home.WriteDrives(
        "X: bogus drive_c\n"
        "Y: fixed\n"
        "W: fixed drive_c sometimes\n"
        "q: fixed drive_c\n");
    EXPECT_EQ(compat::ToHostPath("Q:\\f"), Home("/drive_c/f"));
    std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("drives.conf:1:"), std::string::npos);
    EXPECT_NE(warnings.find("drives.conf:3:"), std::string::npos);
    EXPECT_EQ(compat::FindDrive("Q:\\")->root, "Q:");
    EXPECT_EQ(compat::ToHostPath("X:\\f"), std::nullopt);
    EXPECT_EQ(compat::ToHostPath("C:\\f"), std::nullopt);  // no longer listed
}

TEST_F(DrivesTest, AFolderInThePlaceOfTheTableLeavesOnlyZ) {
    remove((m_home.Path() + "/drives.conf").c_str());
    m_home.MakeDir("drives.conf");
    compat::ReloadDriveTable();
    EXPECT_EQ(compat::ToHostPath("C:\\f"), std::nullopt);
    EXPECT_EQ(compat::ToHostPath("Z:\\f"), "/f");
}

}  // namespace
