// A platform home of its own for each test: a temporary folder that BOK_HOME
// points at, with a drive table, removed again at the end.
#pragma once

#include <ftw.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "CompatText.h"
#include "compat/drives.h"

namespace compat_test {

class TestHome {
public:
    TestHome()
    {
        char pattern[] = "/tmp/compat-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_path = made != nullptr ? made : "/nonexistent";
        const char* old = getenv("BOK_HOME");
        m_hadHome = old != nullptr;
        if (m_hadHome)
            m_oldHome = old;
        setenv("BOK_HOME", m_path.c_str(), 1);
        compat::ReloadDriveTable();
    }

    ~TestHome()
    {
        if (m_hadHome)
            setenv("BOK_HOME", m_oldHome.c_str(), 1);
        else
            unsetenv("BOK_HOME");
        compat::ReloadDriveTable();
        nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }

    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    const std::string& Path() const { return m_path; }

    // Host path of a folder under the home, created with its parents.
    std::string MakeDir(const std::string& relative) const
    {
        std::string path = m_path;
        size_t start = 0;
        while (start <= relative.size()) {
            size_t slash = relative.find('/', start);
            std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            if (!part.empty()) {
                path += "/" + part;
                mkdir(path.c_str(), 0777);
            }
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        return path;
    }

    void WriteFile(const std::string& relative, const std::string& bytes) const
    {
        std::ofstream out(m_path + "/" + relative, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    void WriteDrives(const std::string& table) const
    {
        WriteFile("drives.conf", table);
        compat::ReloadDriveTable();
    }

private:
    static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
    {
        remove(path);
        return 0;
    }

    std::string m_path;
    std::string m_oldHome;
    bool m_hadHome = false;
};

// The table most tests use: C: fixed, D: a CD-ROM, M: a drive whose folder
// is missing, R: read-only, one share.
inline const char* StandardDrives()
{
    return "# test drives\n"
           "C:              fixed      drive_c\n"
           "D:              cdrom      drive_d\n"
           "M:              fixed      missing\n"
           "R:              removable  \"read only\"  ro\n"
           "\\\\FILESV\\share  remote     share\n";
}

inline void SetUpStandardDrives(const TestHome& home)
{
    home.MakeDir("drive_c");
    home.MakeDir("drive_d");
    home.MakeDir("read only");
    home.MakeDir("share");
    home.WriteDrives(StandardDrives());
}

}  // namespace compat_test
