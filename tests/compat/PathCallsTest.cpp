// The Win32, shlwapi and runtime path calls.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "CompatTestHome.h"
#include "compat/drives.h"
#include "compat/win32.h"

namespace {

using testsupport::ScopedPlatformHome;
using testsupport::U8;

bool HostIsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class PathCallsTest : public testing::Test {
protected:
    void SetUp() override {
        compat_test::SetUpStandardDrives(m_home);
        m_home.MakeDir("drive_c/dir/sub");
        m_home.WriteFile("drive_c/dir/file.txt", "x");
        m_home.WriteFile("read only/file.txt", "x");
    }
    void TearDown() override { compat::SetModuleFileNameOverride(""); }
    ScopedPlatformHome m_home;
};

TEST_F(PathCallsTest, GetDriveTypeA) {
    const struct {
        const char* root;
        UINT type;
    } cases[] = {
        {"C:\\", DRIVE_FIXED},
        {"c:", DRIVE_FIXED},
        {"D:\\", DRIVE_CDROM},
        {"R:\\", DRIVE_REMOVABLE},
        {"\\\\FILESV\\share\\", DRIVE_REMOTE},
        {"\\\\filesv\\share", DRIVE_REMOTE},
        {"M:\\", DRIVE_NO_ROOT_DIR},  // configured, its folder missing
        {"Q:\\", DRIVE_NO_ROOT_DIR},  // not configured
        {"\\\\FILESV\\other\\", DRIVE_NO_ROOT_DIR},
        {"C:\\dir\\", DRIVE_NO_ROOT_DIR},  // not a root
        {"Z:\\", DRIVE_FIXED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root);
        EXPECT_EQ(GetDriveTypeA(c.root), c.type);
    }
}

TEST_F(PathCallsTest, AccessHonoursTheReadOnlyFlag) {
    const struct {
        const char* path;
        int mode;
        int result;
    } cases[] = {
        {"C:\\", 6, 0},
        {"C:\\dir\\file.txt", 2, 0},
        {"C:\\nothing", 0, -1},
        {"R:\\", 6, -1},
        {"R:\\", 4, 0},
        {"R:\\file.txt", 0, 0},
        {"R:\\file.txt", 2, -1},
        {"\\\\FILESV\\share", 6, 0},
        {"\\\\FILESV\\other", 0, -1},
        {"Q:\\", 0, -1},
        {"M:\\", 0, -1},
        {"C:\\", 1, -1},  // no such mode
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << " mode " << c.mode);
        EXPECT_EQ(_access(c.path, c.mode), c.result);
    }
}

TEST_F(PathCallsTest, CreateAndRemoveDirectory) {
    std::string c = m_home.Path() + "/drive_c";
    EXPECT_TRUE(CreateDirectoryA("C:\\new", nullptr));
    EXPECT_TRUE(HostIsDir(c + "/new"));
    EXPECT_FALSE(CreateDirectoryA("C:\\new", nullptr));               // exists
    EXPECT_FALSE(CreateDirectoryA("C:\\gone\\deeper", nullptr));      // parent missing
    EXPECT_FALSE(CreateDirectoryA("C:\\dir\\file.txt\\x", nullptr));  // a file in the way
    EXPECT_FALSE(CreateDirectoryA("R:\\new", nullptr));
    EXPECT_FALSE(CreateDirectoryA("Q:\\new", nullptr));
    EXPECT_TRUE(CreateDirectoryA("C:\\帳表\\", nullptr));
    EXPECT_TRUE(HostIsDir(c + U8(u8"/帳表")));

    EXPECT_FALSE(RemoveDirectoryA("C:\\dir"));  // not empty
    EXPECT_TRUE(RemoveDirectoryA("C:\\new"));
    EXPECT_FALSE(HostIsDir(c + "/new"));
    EXPECT_TRUE(RemoveDirectoryA("C:\\帳表\\"));
    EXPECT_FALSE(RemoveDirectoryA("C:\\new"));
    EXPECT_FALSE(RemoveDirectoryA("C:\\dir\\file.txt"));
    m_home.MakeDir("read only/empty");
    EXPECT_FALSE(RemoveDirectoryA("R:\\empty"));
    // The root is the mapped folder itself and stays, even when empty.
    m_home.MakeDir("drive_d");
    EXPECT_FALSE(RemoveDirectoryA("D:\\"));
    EXPECT_TRUE(HostIsDir(m_home.Path() + "/drive_d"));
}

TEST_F(PathCallsTest, ExistenceAndFolders) {
    const struct {
        const char* path;
        BOOL exists;
        BOOL directory;
    } cases[] = {
        {"C:\\dir", TRUE, TRUE},
        {"C:\\dir\\", TRUE, TRUE},
        {"C:\\DIR", FALSE, FALSE},  // the host's names keep their case
        {"C:\\dir\\file.txt", TRUE, FALSE},
        {"C:\\dir\\file.txt\\", FALSE, FALSE},
        {"C:\\", TRUE, TRUE},
        {"C:\\nothing", FALSE, FALSE},
        {"Q:\\", FALSE, FALSE},
        {"", FALSE, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PathFileExistsA(c.path), c.exists);
        EXPECT_EQ(PathIsDirectoryA(c.path), c.directory);
    }
    EXPECT_FALSE(PathFileExistsA(nullptr));
}

TEST(PathText, SkipRoot) {
    const struct {
        const char* path;
        const char* rest;  // null: no root
    } cases[] = {
        {"C:\\a\\b", "a\\b"},
        {"C:\\", ""},
        {"C:", nullptr},
        {"C:a", nullptr},
        {"\\\\srv\\share\\x\\y", "x\\y"},
        {"\\\\srv\\share\\", ""},
        {"\\\\srv\\share", nullptr},
        {"\\\\srv\\帳表\\x", "x"},  // the share name ends in a 0x5C trail byte
        {"\\\\srv", nullptr},
        {"\\x", "x"},
        {"a\\b", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const char* rest = PathSkipRootA(c.path);
        if (c.rest == nullptr)
            EXPECT_EQ(rest, nullptr);
        else
            EXPECT_STREQ(rest, c.rest);
    }
}

TEST(PathText, StripToRoot) {
    const struct {
        const char* path;
        BOOL result;
        const char* after;
    } cases[] = {
        {"C:\\a\\b", TRUE, "C:\\"},
        {"C:\\", TRUE, "C:\\"},
        {"C:", TRUE, "C:"},
        {"\\\\srv\\share\\x\\y", TRUE, "\\\\srv\\share"},
        {"\\\\srv\\帳表\\x", TRUE, "\\\\srv\\帳表"},
        {"\\\\srv", TRUE, "\\\\srv"},
        {"\\x\\y", TRUE, "\\"},
        {"a\\b", FALSE, "a\\b"},
        {"", FALSE, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        char buffer[64];
        snprintf(buffer, sizeof buffer, "%s", c.path);
        EXPECT_EQ(PathStripToRootA(buffer), c.result);
        EXPECT_STREQ(buffer, c.after);
    }
}

TEST(PathText, SplitPath) {
    const struct {
        const char* path;
        const char* drive;
        const char* dir;
        const char* fname;
        const char* ext;
    } cases[] = {
        {"C:\\帳表\\a.xml", "C:", "\\帳表\\", "a", ".xml"},
        {"C:\\表", "C:", "\\", "表", ""},
        {"C:\\dir\\file", "C:", "\\dir\\", "file", ""},
        {"C:\\dir\\", "C:", "\\dir\\", "", ""},
        {"C:\\a.b\\c", "C:", "\\a.b\\", "c", ""},
        {"file.tar.gz", "", "", "file.tar", ".gz"},
        {"\\\\srv\\share\\x.txt", "", "\\\\srv\\share\\", "x", ".txt"},
        {"a/b.c", "", "a/", "b", ".c"},
        {"C:", "C:", "", "", ""},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        char drive[_MAX_DRIVE] = "?";
        char dir[_MAX_DIR] = "?";
        char fname[_MAX_FNAME] = "?";
        char ext[_MAX_EXT] = "?";
        _splitpath(c.path, drive, dir, fname, ext);
        EXPECT_STREQ(drive, c.drive);
        EXPECT_STREQ(dir, c.dir);
        EXPECT_STREQ(fname, c.fname);
        EXPECT_STREQ(ext, c.ext);
    }
    char dir[_MAX_DIR];
    _splitpath("C:\\x\\y.z", nullptr, dir, nullptr, nullptr);
    EXPECT_STREQ(dir, "\\x\\");
}

TEST_F(PathCallsTest, ModuleFileName) {
    char buffer[MAX_PATH + 1];
    compat::SetModuleFileNameOverride("C:\\prog\\DeprLinkStd.exe");
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), 23u);
    EXPECT_STREQ(buffer, "C:\\prog\\DeprLinkStd.exe");
    // Cut, terminated, answering the size, as Windows does.
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 5), 5u);
    EXPECT_STREQ(buffer, "C:\\p");

    compat::SetModuleFileNameOverride("");
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(compat::ToHostPath(buffer), std::string(self));
}

TEST_F(PathCallsTest, TempPath) {
    const char* old = getenv("TMPDIR");
    std::string saved = old != nullptr ? old : "";
    std::string tmp = m_home.MakeDir("drive_c/tmp");
    setenv("TMPDIR", tmp.c_str(), 1);
    char buffer[MAX_PATH + 1];
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), 7u);
    EXPECT_STREQ(buffer, "C:\\tmp\\");
    strcpy(buffer, "untouched");
    EXPECT_EQ(GetTempPathA(7, buffer), 8u);  // the size needed, NUL included
    EXPECT_STREQ(buffer, "untouched");
    unsetenv("TMPDIR");
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), 7u);
    EXPECT_STREQ(buffer, "Z:\\tmp\\");
    if (old != nullptr) setenv("TMPDIR", saved.c_str(), 1);
}

}  // namespace
