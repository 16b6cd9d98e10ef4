// A platform home of its own for each test: a fresh temporary folder as
// $BOK_HOME, the platform's singletons forgotten before and after.
#pragma once

#include <ftw.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "compat/drives.h"
#include "platform/BokAdmin.h"

class TestHome {
public:
    TestHome() {
        char pattern[] = "/tmp/bokhome-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_strPath = made != nullptr ? made : "/tmp";
        setenv("BOK_HOME", m_strPath.c_str(), 1);
        bok::ResetForTests();
        compat::ReloadDriveTable();
    }
    ~TestHome() {
        bok::ResetForTests();
        nftw(m_strPath.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
        unsetenv("BOK_HOME");
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& name) const { return m_strPath + "/" + name; }

    // Imports text into the home's store; fails the test when refused.
    void Import(const std::string& text) const {
        bok::AdminError error;
        ASSERT_TRUE(bok::ImportText(m_strPath, text, &error)) << error.message;
    }
    void Fault(const std::string& operation, long status, long atIndex = -1) const {
        bok::AdminError error;
        ASSERT_TRUE(bok::SetFault(m_strPath, operation, status, atIndex, &error)) << error.message;
    }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }

private:
    static int Remove(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }
    std::string m_strPath;
};

// A data set, a signed-in user who selected it, and nothing else.
inline const char* const kOneDataSet = R"(
[data]
id = D1
number = 1
name = Shop
period = 20240101 20241231
[user]
id = tanaka
selected = 1
)";
