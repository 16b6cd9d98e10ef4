// Texts between code page 932 and the toolkit, and the dialog font.
#include <gtest/gtest.h>

#include <string>

#include "WxTestSupport.h"
#include "ui/wx/WxText.h"

using wxui::FromU8;

namespace {

struct TextCase {
    const char* name;
    const char* sjis;
    const char8_t* utf8;
};

// Both ways, byte for byte.
const TextCase kRoundTrips[] = {
    {"Ascii", "C:\\out\\a.xml", u8"C:\\out\\a.xml"}, {"Kanji", "\x8f\x57\x8c\x76\x92\x86", u8"集計中"},
    {"FullWidthTilde", "\x81\x60", u8"～"},          {"HalfWidthKatakana", "\xb1\xdd", u8"ｱﾝ"},
    {"TrailByteIsBackslash", "\x95\x5c", u8"表"},    {"NecSpecial", "\x87\x40", u8"①"},
};

TEST(WxText, Cp932AndTheToolkitAgreeBothWays) {
    for (const TextCase& c : kRoundTrips) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(wxui::FromCp932(c.sjis), FromU8(c.utf8));
        bool ok = false;
        EXPECT_EQ(wxui::ToCp932(FromU8(c.utf8), &ok), c.sjis);
        EXPECT_TRUE(ok);
        EXPECT_EQ(wxui::Cp932Length(FromU8(c.utf8)), static_cast<long>(std::string(c.sjis).size()));
    }
}

TEST(WxText, DamagedBytesShowAsReplacementAroundTheRest) {
    const TextCase cases[] = {
        {"LoneLeadByteAtTheEnd", "ab\x81", u8"ab\uFFFD"},
        {"UnusedByte",
         "a\xff"
         "b",
         u8"a\uFFFDb"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(wxui::FromCp932(c.sjis), FromU8(c.utf8)) << c.name;
}

TEST(WxText, CharactersWithoutCp932BecomeQuestionMarks) {
    const TextCase cases[] = {
        {"Emoji", "a?b", u8"a\U0001F600b"},
        {"Hangul", "?", u8"한"},
    };
    for (const TextCase& c : cases) {
        bool ok = true;
        EXPECT_EQ(wxui::ToCp932(FromU8(c.utf8), &ok), c.sjis) << c.name;
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(wxui::Cp932Length(FromU8(c.utf8)), -1) << c.name;
    }
}

TEST(WxText, DialogFontIsTheResourceFaceOrAnInstalledJapaneseOne) {
    SKIP_WITHOUT_DISPLAY();
    const wxFont font = wxui::DialogFont();
    ASSERT_TRUE(font.IsOk());
    EXPECT_EQ(font.GetPointSize(), 9);
    const wxString face = font.GetFaceName();
    EXPECT_TRUE(face == FromU8(u8"ＭＳ Ｐゴシック") || face == "MS PGothic" || face == "IPAPGothic" ||
                face == "IPAGothic")
        << face.utf8_string();
}

}  // namespace
