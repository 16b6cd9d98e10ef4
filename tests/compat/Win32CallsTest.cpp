// The Windows backend: the program's Win32 calls are Windows' own, so these
// cases hold what the program relies on them for, on real files, folders
// and drives in a fresh folder under the temporary folder.  Under Wine the
// code page and the locale come from LANG (ja_JP.UTF-8), as they come from
// the system locale on a Japanese Windows.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "compat/file.h"
#include "compat/mbcs.h"
#include "compat/testhooks.h"
#include "compat/win32.h"

namespace {

// A folder of its own for each test (a Windows path in code page 932,
// ending in "\\"), removed again at the end.
class Win32Test : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        for (unsigned n = GetCurrentProcessId() * 1000u;; ++n) {
            m_dir = std::string(temp) + "compat-test-" + std::to_string(n);
            if (CreateDirectoryA(m_dir.c_str(), nullptr)) break;
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        }
        m_dir += "\\";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_dir), ignored);
    }
    std::string Path(const char* name) const { return m_dir + name; }
    void Write(const char* name, const std::string& bytes) const {
        CFile file(Path(name).c_str(), CFile::modeCreate | CFile::modeWrite);
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Close();
    }
    std::string Read(const char* name) const {
        CFile file(Path(name).c_str(), CFile::modeRead | CFile::shareDenyWrite);
        std::string bytes(static_cast<size_t>(file.GetLength()), '\0');
        EXPECT_EQ(file.Read(bytes.data(), static_cast<UINT>(bytes.size())), bytes.size());
        return bytes;
    }
    std::string m_dir;
};

TEST(Win32Locale, JapaneseCodePageAndFullWidthForms) {
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetSystemDefaultLCID(), static_cast<LCID>(0x411));
    char out[16];
    int n = LCMapStringA(GetSystemDefaultLCID(), LCMAP_FULLWIDTH, "A&B'", 4, out, sizeof out);
    EXPECT_EQ(std::string(out, n > 0 ? static_cast<size_t>(n) : 0), "\x82\x60\x81\x95\x82\x61\xFA\x56");
}

TEST(Win32Text, ConversionsUseCodePage932) {
    bool ok = false;
    EXPECT_EQ(compat::SjisToUtf8("\x95\x5C\x87\x40", &ok), "\xE8\xA1\xA8\xE2\x91\xA0");  // 表①
    EXPECT_TRUE(ok);
    EXPECT_EQ(compat::Utf8ToSjis("\xEF\xBD\x9E", &ok), "\x81\x60");  // U+FF5E as Windows maps it
    EXPECT_TRUE(ok);
    // No best fit: a character code page 932 lacks is refused, not
    // replaced by a look-alike.
    EXPECT_EQ(compat::Utf8ToSjis("a\xC3\xA9z", &ok), "a?z");  // é
    EXPECT_FALSE(ok);
    EXPECT_EQ(compat::SjisToUtf8("a\x81", &ok), "a\xEF\xBF\xBD");  // a lead byte cut off
    EXPECT_FALSE(ok);
}

TEST(Win32Memory, GlobalAllocAndTheFailureSwitch) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 30000);
    ASSERT_NE(mem, nullptr);
    unsigned char* data = static_cast<unsigned char*>(GlobalLock(mem));
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 30000; ++i) ASSERT_EQ(data[i], 0) << i;
    EXPECT_TRUE(GlobalUnlock(mem) == FALSE && GetLastError() == NO_ERROR);  // unlocked
    EXPECT_EQ(GlobalFree(mem), nullptr);

    compat::FailNextGlobalAllocs(2);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
    mem = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_NE(mem, nullptr);
    GlobalFree(mem);
}

TEST_F(Win32Test, IniFilesAsTheTaxProductWritesThem) {
    Write("BortaDef.ini",
          "; levels\r\n[ProgramLevel]\r\n  QZ14_G = 1  \r\nQuoted = \"  spaced  \"\r\nEmpty=\r\n"
          "QZ14_G=2\r\n[Other]\r\nQZ14_G=9\r\n[日本語]\r\nキー=値\r\n");
    const std::string ini = Path("BortaDef.ini");
    const struct {
        const char* section;
        const char* key;
        const char* defaultValue;
        DWORD size;
        const char* expected;
    } cases[] = {
        {"ProgramLevel", "QZ14_G", "d", 16, "1"},  // first of two wins, trimmed
        {"programlevel", "qz14_g", "d", 16, "1"},
        {"ProgramLevel", "Quoted", "d", 16, "  spaced  "},  // one pair of quotes removed
        {"ProgramLevel", "Empty", "1", 16, ""},             // present but empty: no default
        {"ProgramLevel", "Missing", "1", 16, "1"},
        {"Nowhere", "QZ14_G", "1", 16, "1"},
        {"Other", "QZ14_G", "d", 16, "9"},
        {"日本語", "キー", "d", 16, "値"},
        {"ProgramLevel", "Quoted", "d", 3, "  "},  // cut to size - 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.section << "/" << c.key << " size " << c.size);
        char out[16];
        DWORD n = GetPrivateProfileStringA(c.section, c.key, c.defaultValue, out, c.size, ini.c_str());
        EXPECT_STREQ(out, c.expected);
        EXPECT_EQ(n, strlen(c.expected));
    }
    char out[16];
    EXPECT_EQ(GetPrivateProfileStringA("ProgramLevel", "QZ14_G", "1", out, sizeof out, Path("NoSuch.ini").c_str()), 1u);
    EXPECT_STREQ(out, "1");
}

// The drives scripts/wine-drives.sh gives the test prefix beside C: and Z:
// (the host's root): a link in dosdevices for the folder, the type in
// HKLM\Software\Wine\Drives.  Wine has no type for an unknown drive (a
// type it does not know is a fixed disk), so DRIVE_UNKNOWN is not among
// them.
TEST(Win32Drives, TypesOfTheTestPrefixsDrives) {
    const struct {
        const char* root;
        UINT type;
    } cases[] = {
        {"C:\\", DRIVE_FIXED},       {"c:\\", DRIVE_FIXED},       {"Z:\\", DRIVE_FIXED},
        {"E:\\", DRIVE_REMOVABLE},   {"Q:\\", DRIVE_CDROM},       {"S:\\", DRIVE_REMOTE},
        {"M:\\", DRIVE_RAMDISK},     {"N:\\", DRIVE_NO_ROOT_DIR},  // its folder is missing
        {"X:\\", DRIVE_NO_ROOT_DIR},                               // no drive at all
        {"", DRIVE_NO_ROOT_DIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root);
        EXPECT_EQ(GetDriveTypeA(c.root), c.type);
    }
}

// R:, a read-only disk: readable, its root read-only to _access, and every
// write refused as Windows refuses it on a write-protected medium.
TEST(Win32Drives, AReadOnlyDriveRefusesWrites) {
    if (GetDriveTypeA("R:\\") != DRIVE_FIXED)
        GTEST_SKIP() << "no read-only drive (scripts/wine-drives.sh mounts one as root)";
    EXPECT_EQ(_access("R:\\", 4), 0);
    EXPECT_NE(_access("R:\\", 6), 0);
    CFile kept;
    EXPECT_TRUE(kept.Open("R:\\kept.txt", CFile::modeRead | CFile::shareDenyWrite));
    kept.Close();
    for (const char* name : {"R:\\new.txt", "R:\\kept.txt"}) {
        SCOPED_TRACE(name);
        CFile file;
        CFileException error(CFileException::none, 0, "");
        EXPECT_FALSE(file.Open(name, CFile::modeCreate | CFile::modeWrite, &error));
        EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    }
    EXPECT_FALSE(CreateDirectoryA("R:\\new", nullptr));
    EXPECT_FALSE(PathFileExistsA("R:\\new"));
}

// F:, a disk with no room left: a file opens, and its first write fails
// with the framework's disk-full cause.  Where some room is left, Wine
// writes what fits and reports success, failing only the next write, while
// Windows fails the whole write; on a full disk both fail the first.
TEST(Win32Drives, AFullDriveFailsTheFirstWrite) {
    if (GetDriveTypeA("F:\\") != DRIVE_FIXED)
        GTEST_SKIP() << "no full drive (scripts/wine-drives.sh mounts one as root)";
    const std::string name = "F:\\write-" + std::to_string(GetCurrentProcessId()) + ".txt";
    {
        CFile file(name.c_str(), CFile::modeCreate | CFile::modeWrite);
        try {
            file.Write("x", 1);
            file.Flush();
            ADD_FAILURE() << "the write went through";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::diskFull);
        }
        file.Abort();
    }
    CFile::Remove(name.c_str());
}

TEST_F(Win32Test, FoldersAndPathQueries) {
    const std::string folder = Path("帳表");
    EXPECT_FALSE(PathFileExistsA(folder.c_str()));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_TRUE(PathFileExistsA(folder.c_str()));
    EXPECT_TRUE(PathIsDirectoryA(folder.c_str()));
    Write("帳表\\a.xml", "x");
    EXPECT_TRUE(PathFileExistsA(Path("帳表\\a.xml").c_str()));
    EXPECT_FALSE(PathIsDirectoryA(Path("帳表\\a.xml").c_str()));
    EXPECT_FALSE(RemoveDirectoryA(folder.c_str()));  // not empty
    CFile::Remove(Path("帳表\\a.xml").c_str());
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
    EXPECT_FALSE(PathFileExistsA(folder.c_str()));
    EXPECT_STREQ(PathSkipRootA("C:\\a\\b"), "a\\b");
    char root[] = "C:\\a\\b";
    EXPECT_TRUE(PathStripToRootA(root));
    EXPECT_STREQ(root, "C:\\");
}

TEST_F(Win32Test, FilesWriteReadAndReplace) {
    Write("a.txt", "first content");
    EXPECT_EQ(Read("a.txt"), "first content");
    Write("a.txt", "second");  // modeCreate truncates
    EXPECT_EQ(Read("a.txt"), "second");
    {
        CFile file(Path("a.txt").c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(file.SeekToEnd(), 6u);
        file.Write("+", 1);
        file.Flush();
        file.Close();
    }
    EXPECT_EQ(Read("a.txt"), "second+");

    Write("b.txt", "new");
    CFile::Rename(Path("b.txt").c_str(), Path("a.txt").c_str());  // replaces
    EXPECT_EQ(Read("a.txt"), "new");

    // A save holds its file until the new content replaces it.
    Write("c.txt", "newer");
    {
        CFile held(Path("a.txt").c_str(), CFile::modeReadWrite | CFile::shareExclusive);
        CFile::RenameOverHeld(Path("c.txt").c_str(), Path("a.txt").c_str(), held);
        EXPECT_FALSE(held.IsOpen());
    }
    EXPECT_EQ(Read("a.txt"), "newer");
    Write("c.txt", "new");
    CFile::Rename(Path("c.txt").c_str(), Path("a.txt").c_str());

    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(Path("a.txt").c_str(), status));
    EXPECT_EQ(status.m_size, 3u);
    EXPECT_EQ(status.m_attribute & CFile::directory, 0);
    EXPECT_EQ(std::string(status.m_szFullName), Path("a.txt"));
    ASSERT_TRUE(CFile::GetStatus(m_dir.c_str(), status));
    EXPECT_NE(status.m_attribute & CFile::directory, 0);
    EXPECT_EQ(std::string(status.m_szFullName) + "\\", m_dir);  // no trailing separator
    EXPECT_FALSE(CFile::GetStatus(Path("none").c_str(), status));
}

TEST_F(Win32Test, FailuresCarryTheFrameworksCauses) {
    CreateDirectoryA(Path("dir").c_str(), nullptr);
    Write("held.txt", "x");
    CFile held(Path("held.txt").c_str(), CFile::modeRead | CFile::shareExclusive);
    const struct {
        std::string name;
        UINT flags;
        int cause;
    } cases[] = {
        {Path("none.txt"), CFile::modeRead, CFileException::fileNotFound},
        {Path("nodir\\a.txt"), CFile::modeCreate | CFile::modeWrite, CFileException::badPath},
        {Path("dir"), CFile::modeCreate | CFile::modeWrite, CFileException::accessDenied},
        {Path("held.txt"), CFile::modeRead | CFile::shareDenyNone, CFileException::sharingViolation},
        {"", CFile::modeRead, CFileException::badPath},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CFile file;
        CFileException error(CFileException::none, 0, "");
        EXPECT_FALSE(file.Open(c.name.c_str(), c.flags, &error));
        EXPECT_EQ(error.m_cause, c.cause);
        EXPECT_FALSE(file.IsOpen());
    }
    try {
        CFile::Remove(Path("none.txt").c_str());
        ADD_FAILURE() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    }
    CFile closed;
    EXPECT_THROW(closed.Write("x", 1), CFileException);
}

}  // namespace
