// CFile: opening modes, whole writes, and failures as CFileException.

#include "compat/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "CompatTestHome.h"

namespace {

using testsupport::ScopedPlatformHome;
using testsupport::U8;

class CFileTest : public testing::Test {
protected:
    void SetUp() override {
        compat_test::SetUpStandardDrives(m_home);
        m_home.WriteDrives(std::string(compat_test::StandardDrives()) + "F: fixed /dev\n");
        m_home.MakeDir("drive_c/dir");
        m_home.WriteFile("drive_c/dir/file.txt", "abcdef");
        m_home.WriteFile("read only/file.txt", "ro");
    }

    std::string HostBytes(const std::string& relative) const {
        std::ifstream in(m_home.Path() + "/" + relative, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // The cause an open fails with, none when it succeeds.
    static int OpenCause(const char* name, UINT flags) {
        CFile file;
        CFileException error(CFileException::none, 0, "");
        if (file.Open(name, flags, &error)) return CFileException::none;
        return error.m_cause;
    }

    ScopedPlatformHome m_home;
};

constexpr UINT kCreateWrite = CFile::modeCreate | CFile::modeWrite;

TEST_F(CFileTest, CreateTruncatesAndNoTruncateKeeps) {
    {
        CFile file("C:\\dir\\file.txt", kCreateWrite);
        file.Write("xy", 2);
        file.Close();
    }
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "xy");
    {
        CFile file("C:\\dir\\file.txt", kCreateWrite | CFile::modeNoTruncate);
        EXPECT_EQ(file.GetLength(), 2u);
        EXPECT_EQ(file.SeekToEnd(), 2u);
        file.Write("z", 1);
        file.Flush();
        file.Close();
    }
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "xyz");
    {
        CFile file("C:\\帳表.xml", kCreateWrite);
        file.Write("\x95\x5C", 2);
    }
    EXPECT_EQ(HostBytes(U8(u8"drive_c/帳表.xml")), "\x95\x5C");
}

TEST_F(CFileTest, ReadAndReadWrite) {
    CFile file;
    ASSERT_TRUE(file.Open("C:\\dir\\file.txt", CFile::modeReadWrite));
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);  // the rest only
    file.SeekToEnd();
    file.Write("!", 1);
    file.Close();
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "abcdef!");
    ASSERT_TRUE(file.Open("R:\\file.txt", CFile::modeRead | CFile::shareDenyNone));
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
}

TEST_F(CFileTest, OpenFailuresNameTheirCause) {
    std::string tooLong = "C:\\" + std::string(300, 'n');
    const struct {
        const char* name;
        UINT flags;
        int cause;
    } cases[] = {
        {"C:\\dir\\missing.txt", CFile::modeRead, CFileException::fileNotFound},
        {"C:\\nodir\\x.xml", kCreateWrite, CFileException::badPath},
        {"C:\\dir\\file.txt\\x.xml", kCreateWrite, CFileException::badPath},  // a file where a folder must be
        {tooLong.c_str(), kCreateWrite, CFileException::badPath},
        {"C:\\bad\x85\x40.xml", kCreateWrite, CFileException::badPath},
        {"C:\\a/b.xml", kCreateWrite, CFileException::badPath},
        {"Q:\\x.xml", kCreateWrite, CFileException::badPath},
        {"R:\\x.xml", kCreateWrite, CFileException::accessDenied},
        {"R:\\file.txt", CFile::modeReadWrite, CFileException::accessDenied},
        {"C:\\dir", CFile::modeRead, CFileException::accessDenied},
        {"C:\\dir", kCreateWrite, CFileException::accessDenied},
        {nullptr, CFile::modeRead, CFileException::badPath},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? std::string(c.name).substr(0, 40) : "(null)");
        EXPECT_EQ(OpenCause(c.name, c.flags), c.cause);
    }
    EXPECT_EQ(HostBytes("read only/file.txt"), "ro");
    EXPECT_THROW(CFile("C:\\dir\\missing.txt", CFile::modeRead), CFileException);
    // A FIFO is refused at once instead of waiting for a writer.
    ASSERT_EQ(mkfifo((m_home.Path() + "/drive_c/fifo").c_str(), 0666), 0);
    EXPECT_EQ(OpenCause("C:\\fifo", CFile::modeRead), CFileException::accessDenied);
}

TEST_F(CFileTest, WriteFailuresThrow) {
    CFile full("F:\\full", kCreateWrite);
    try {
        full.Write("x", 1);
        FAIL() << "a write to a full disk succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.m_strFileName, "F:\\full");
    }

    CFile closed;
    try {
        closed.Write("x", 1);
        FAIL() << "a write to no file succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::invalidFile);
    }
    char byte;
    EXPECT_THROW(closed.Read(&byte, 1), CFileException);
    EXPECT_NO_THROW(closed.Close());
    EXPECT_NO_THROW(closed.Abort());
}

TEST_F(CFileTest, ExclusiveOpenersExcludeEachOther) {
    CFile first("C:\\dir\\file.txt", kCreateWrite | CFile::shareExclusive);
    EXPECT_EQ(OpenCause("C:\\dir\\file.txt", CFile::modeWrite | CFile::shareExclusive),
              CFileException::sharingViolation);
    first.Close();
    EXPECT_EQ(OpenCause("C:\\dir\\file.txt", CFile::modeWrite | CFile::shareExclusive), CFileException::none);
}

// Windows' sharing rules: the second open must be allowed by the first
// one's share mode, and must not deny an access the first one has.
TEST_F(CFileTest, ShareModesFollowWindowsRules) {
    constexpr UINT R = CFile::modeRead, W = CFile::modeWrite, RW = CFile::modeReadWrite;
    constexpr UINT Excl = CFile::shareExclusive, DenyW = CFile::shareDenyWrite, DenyR = CFile::shareDenyRead,
                   None = CFile::shareDenyNone;
    const struct {
        const char* title;
        UINT first;
        UINT second;
        bool allowed;
    } cases[] = {
        {"two readers denying writes", R | DenyW, R | DenyW, true},
        {"a reader after a reader denying writes", R | DenyW, R | None, true},
        {"a writer after a reader denying writes", R | DenyW, W | None, false},
        {"a reader denying writes after a writer", W | None, R | DenyW, false},
        {"a reader denying writes after a reader", R | None, R | DenyW, true},
        {"two writers sharing everything", W | None, RW | None, true},
        {"a reader after a writer denying reads", W | DenyR, R | None, false},
        {"a writer after a writer denying reads", W | DenyR, W | None, true},
        {"a reader denying reads after a reader", R | None, R | DenyR, false},
        {"a writer denying reads after a writer", W | None, W | DenyR, true},
        {"anything after an exclusive opener", R | Excl, R | None, false},
        {"exclusive after a reader sharing everything", R | None, R | Excl, false},
        {"compatibility mode is exclusive", R, R | DenyW, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        CFile first;
        ASSERT_TRUE(first.Open("C:\\dir\\file.txt", c.first));
        EXPECT_EQ(OpenCause("C:\\dir\\file.txt", c.second),
                  c.allowed ? CFileException::none : CFileException::sharingViolation);
        first.Close();
        EXPECT_EQ(OpenCause("C:\\dir\\file.txt", c.second), CFileException::none);
    }
}

TEST_F(CFileTest, TwoReadersOfOneFileBothRead) {
    CFile first, second;
    ASSERT_TRUE(first.Open("C:\\dir\\file.txt", CFile::modeRead | CFile::shareDenyWrite));
    ASSERT_TRUE(second.Open("C:\\dir\\file.txt", CFile::modeRead | CFile::shareDenyWrite));
    char a[8] = {}, b[8] = {};
    EXPECT_EQ(first.Read(a, sizeof a), 6u);
    EXPECT_EQ(second.Read(b, sizeof b), 6u);
    EXPECT_STREQ(a, "abcdef");
    EXPECT_STREQ(b, "abcdef");
}

// A file another opener holds keeps its bytes: a refused create must not
// have emptied it first, whether the holder is this class or a program
// holding a whole-file lock (flock -x).
TEST_F(CFileTest, ARefusedCreateLeavesTheHeldFileWhole) {
    const std::string host = m_home.Path() + "/drive_c/dir/file.txt";
    {
        CFile holder("C:\\dir\\file.txt", CFile::modeRead | CFile::shareDenyWrite);
        EXPECT_EQ(OpenCause("C:\\dir\\file.txt", kCreateWrite), CFileException::sharingViolation);
        EXPECT_EQ(OpenCause("C:\\dir\\file.txt", kCreateWrite | CFile::shareDenyNone),
                  CFileException::sharingViolation);
    }
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "abcdef");

    const int fd = open(host.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    EXPECT_EQ(OpenCause("C:\\dir\\file.txt", kCreateWrite), CFileException::sharingViolation);
    EXPECT_EQ(OpenCause("C:\\dir\\file.txt", CFile::modeRead | CFile::shareDenyNone), CFileException::sharingViolation);
    close(fd);
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "abcdef");

    // Once free, the create truncates as before.
    EXPECT_EQ(OpenCause("C:\\dir\\file.txt", kCreateWrite), CFileException::none);
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "");
}

TEST_F(CFileTest, GetStatus) {
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus("C:\\dir\\.\\file.txt", status));
    EXPECT_EQ(status.m_size, 6u);
    EXPECT_EQ(status.m_attribute & CFile::directory, 0);
    EXPECT_STREQ(status.m_szFullName, "C:\\dir\\file.txt");
    struct stat st;
    ASSERT_EQ(stat((m_home.Path() + "/drive_c/dir/file.txt").c_str(), &st), 0);
    EXPECT_EQ(status.m_mtime, st.st_mtime);

    ASSERT_TRUE(CFile::GetStatus("C:\\dir\\", status));
    EXPECT_EQ(status.m_attribute & CFile::directory, CFile::directory);
    EXPECT_STREQ(status.m_szFullName, "C:\\dir");

    ASSERT_TRUE(CFile::GetStatus("R:\\file.txt", status));
    EXPECT_EQ(status.m_attribute & CFile::readOnly, CFile::readOnly);

    EXPECT_FALSE(CFile::GetStatus("C:\\dir\\missing", status));
    EXPECT_FALSE(CFile::GetStatus("C:\\dir\\file.txt\\", status));
    EXPECT_FALSE(CFile::GetStatus("Q:\\x", status));
}

TEST_F(CFileTest, RemoveAndRename) {
    m_home.WriteFile("drive_c/dir/new.txt", "new");
    CFile::Rename("C:\\dir\\new.txt", "C:\\dir\\file.txt");  // replaces the target
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "new");
    EXPECT_FALSE(PathFileExistsA("C:\\dir\\new.txt"));

    // A save holds its file until the new content replaces it: here the
    // hold lasts past the rename, so no other opener gets in between.
    m_home.WriteFile("drive_c/dir/newer.txt", "newer");
    {
        CFile held("C:\\dir\\file.txt", CFile::modeReadWrite | CFile::shareExclusive);
        CFile::RenameOverHeld("C:\\dir\\newer.txt", "C:\\dir\\file.txt", held);
        EXPECT_FALSE(held.IsOpen());
    }
    EXPECT_EQ(HostBytes("drive_c/dir/file.txt"), "newer");

    CFile::Remove("C:\\dir\\file.txt");
    EXPECT_FALSE(PathFileExistsA("C:\\dir\\file.txt"));

    const struct {
        const char* name;
        int cause;
    } failures[] = {
        {"C:\\dir\\file.txt", CFileException::fileNotFound},
        {"C:\\nodir\\file.txt", CFileException::badPath},
        {"R:\\file.txt", CFileException::accessDenied},
        {"C:\\dir", CFileException::accessDenied},
        {"Q:\\x", CFileException::badPath},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.name);
        try {
            CFile::Remove(f.name);
            ADD_FAILURE() << "removed";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, f.cause);
        }
    }
    EXPECT_EQ(HostBytes("read only/file.txt"), "ro");
    EXPECT_THROW(CFile::Rename("R:\\file.txt", "C:\\x.txt"), CFileException);
    EXPECT_THROW(CFile::Rename("C:\\none.txt", "C:\\x.txt"), CFileException);
}

}  // namespace
