// A platform home of its own for each test: a fresh temporary folder as
// $BOK_HOME, the platform's singletons forgotten before and after.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "compat/drives.h"
#include "platform/BokAdmin.h"
#include "tests/TestEnvironment.h"

class TestHome {
public:
    TestHome() {
        m_strPath = test_env::MakeTempFolder("bokhome-");
        EXPECT_FALSE(m_strPath.empty());
        test_env::SetVariable("BOK_HOME", m_strPath);
        bok::ResetForTests();
        compat::ReloadDriveTable();
    }
    ~TestHome() {
        bok::ResetForTests();
        test_env::RemoveTree(m_strPath);
        test_env::SetVariable("BOK_HOME", "");
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
