// Ini reading with the Windows semantics.

#include "compat/profile.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "CompatTestHome.h"
#include "compat/win32.h"

namespace {

using testsupport::ScopedPlatformHome;

const char kIni[] =
    "; the tax product's levels\r\n"
    "[ProgramLevel]\r\n"
    "  QZ14_G = 1  \r\n"
    "Quoted = \"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Half=\"x\r\n"
    "Empty=\r\n"
    "QZ14_G=2\r\n"
    "[Other]\n"
    "QZ14_G=9\n"
    "[ 日本語 ]\n"
    "キー=値\n"
    "[\x81\x5D]\n"  // a section name whose trail byte is "]"
    "k=bracket\n";

class ProfileTest : public testing::Test {
protected:
    void SetUp() override {
        compat_test::SetUpStandardDrives(m_home);
        m_home.WriteFile("drive_c/BortaDef.ini", kIni);
    }
    ScopedPlatformHome m_home;
};

struct LookupCase {
    const char* section;
    const char* key;
    const char* defaultValue;
    DWORD size;
    const char* expected;
};

TEST_F(ProfileTest, GetPrivateProfileString) {
    const LookupCase cases[] = {
        {"ProgramLevel", "QZ14_G", "d", 16, "1"},  // first of two wins, trimmed
        {"programlevel", "qz14_g", "d", 16, "1"},
        {"ProgramLevel", "Quoted", "d", 16, "  spaced  "},  // one pair of quotes removed
        {"ProgramLevel", "Single", "d", 16, "x"},
        {"ProgramLevel", "Half", "d", 16, "\"x"},
        {"ProgramLevel", "Empty", "1", 16, ""},  // present but empty: no default
        {"ProgramLevel", "Missing", "1", 16, "1"},
        {"Nowhere", "QZ14_G", "1", 16, "1"},
        {"Other", "QZ14_G", "d", 16, "9"},
        {"日本語", "キー", "d", 16, "値"},
        {"\x81\x5D", "k", "d", 16, "bracket"},
        {"ProgramLevel", "Quoted", "d", 3, "  "},  // cut to size - 1
        {"Nowhere", "k", "abcdef", 4, "abc"},      // the default is cut too
        {"Nowhere", "k", "dflt  ", 16, "dflt"},
        {"Nowhere", "k", nullptr, 16, ""},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.section << "/" << c.key << " size " << c.size);
        char out[16];
        memset(out, 'X', sizeof out);
        DWORD n = GetPrivateProfileStringA(c.section, c.key, c.defaultValue, out, c.size, "C:\\BortaDef.ini");
        EXPECT_STREQ(out, c.expected);
        EXPECT_EQ(n, strlen(c.expected));
    }
}

TEST_F(ProfileTest, MissingFileGivesTheDefault) {
    const char* files[] = {"C:\\NoSuch.ini", "Q:\\BortaDef.ini", "C:\\BortaDef.ini\\x", "C:\\"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        char out[16] = "";
        EXPECT_EQ(GetPrivateProfileStringA("ProgramLevel", "QZ14_G", "1", out, sizeof out, file), 1u);
        EXPECT_STREQ(out, "1");
    }
    char untouched[4] = "abc";
    EXPECT_EQ(GetPrivateProfileStringA("a", "b", "c", untouched, 0, "C:\\BortaDef.ini"), 0u);
    EXPECT_STREQ(untouched, "abc");
}

TEST_F(ProfileTest, NullSectionOrKeyListsNames) {
    char out[64];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", out, sizeof out, "C:\\BortaDef.ini");
    EXPECT_EQ(std::string(out, n + 1), std::string("ProgramLevel\0Other\0日本語\0\x81\x5D\0", 30));
    n = GetPrivateProfileStringA("Other", nullptr, "", out, sizeof out, "C:\\BortaDef.ini");
    EXPECT_EQ(std::string(out, n + 1), std::string("QZ14_G\0", 8));
    // A list that does not fit ends in two NULs.
    n = GetPrivateProfileStringA(nullptr, nullptr, "", out, 8, "C:\\BortaDef.ini");
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(std::string(out, 8), std::string("Progra\0\0", 8));
}

TEST(FindProfileValue, SharesTheParser) {
    const std::string text = "\xEF\xBB\xBF[S]\nk = v \n";
    EXPECT_EQ(compat::FindProfileValue(text, "s", "K"), "v");
    EXPECT_EQ(compat::FindProfileValue(text, "S", "other"), std::nullopt);
    EXPECT_EQ(compat::FindProfileValue(text, "T", "k"), std::nullopt);
    EXPECT_EQ(compat::FindProfileValue("k=v\n", "S", "k"), std::nullopt);  // outside every section
    EXPECT_EQ(compat::FindProfileValue(text, nullptr, "k"), std::nullopt);
}

}  // namespace
