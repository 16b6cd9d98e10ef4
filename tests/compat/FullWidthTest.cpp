// LCMapStringA with LCMAP_FULLWIDTH: ASCII and half-width katakana to their
// full-width forms in code page 932.

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "compat/mbcs.h"
#include "compat/testhooks.h"
#include "compat/win32.h"
#include "tests/support/TestSupport.h"

namespace {

std::string FullWidth(const std::string& text) {
    char out[256];
    int n = LCMapStringA(GetSystemDefaultLCID(), LCMAP_FULLWIDTH, text.c_str(), -1, out, sizeof out);
    EXPECT_GT(n, 0);
    return n > 0 ? std::string(out, static_cast<size_t>(n - 1)) : std::string();
}

struct MapCase {
    const char* text;
    const char* expected;  // code page 932 bytes written out
    // What Wine's LCMapStringA gives where it differs from Windows': it has
    // no full-width form for the backslash, and it maps the half-width
    // sound marks to the combining marks U+3099 and U+309A, which code page
    // 932 lacks, instead of the spacing marks U+309B and U+309C.
    const char* wine = nullptr;
};

const MapCase kMaps[] = {
    {"ABC商事", "\x82\x60\x82\x61\x82\x62\x8F\xA4\x8E\x96"},
    {"123", "\x82\x50\x82\x51\x82\x52"},
    {" ", "\x81\x40"},
    {"&", "\x81\x95"},
    {"0", "\x82\x4F"},
    {"~", "\x81\x60"},
    {"\\", "\x81\x5F", "\\"},
    {"\"'", "\xFA\x57\xFA\x56"},
    {"ｶﾞ", "\x83\x4B"},                       // ガ
    {"ﾊﾟ", "\x83\x70"},                       // パ
    {"ｳﾞ", "\x83\x94"},                       // ヴ
    {"ｱﾞ", "\x83\x41\x81\x4A", "\x83\x41?"},  // no voiced ア: ア and the mark
    {"ｶ", "\x83\x4A"},
    {"ﾞ", "\x81\x4A", "?"},
    {"｡", "\x81\x42"},
    {"表①", "\x95\x5C\x87\x40"},  // double-byte characters stay
    {"\t", "\t"},                 // control bytes stay
    {"", ""},
};

TEST(FullWidth, MapsAsciiAndKatakana) {
    const bool wine = compat::RunningUnderWine();
    for (const MapCase& c : kMaps) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FullWidth(c.text), wine && c.wine != nullptr ? c.wine : c.expected);
    }
}

TEST(FullWidth, EveryPrintableAsciiByteHasItsFullWidthForm) {
    for (int c = 0x21; c <= 0x7E; ++c) {
        SCOPED_TRACE(c);
        if (c == '\\' && compat::RunningUnderWine()) continue;  // Wine leaves it as it is (kMaps)
        std::string utf8 = compat::SjisToUtf8(FullWidth(std::string(1, static_cast<char>(c))));
        char32_t expected = 0xFF01 + static_cast<char32_t>(c - 0x21);
        ASSERT_EQ(utf8.size(), 3u);
        char32_t got = (static_cast<unsigned char>(utf8[0]) & 0x0F) << 12 |
                       (static_cast<unsigned char>(utf8[1]) & 0x3F) << 6 | (static_cast<unsigned char>(utf8[2]) & 0x3F);
        EXPECT_EQ(got, expected);
    }
}

TEST(FullWidth, SizeSemantics) {
    char out[8];
    // The size needed, the terminator included for a NUL-terminated source.
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH, "AB", -1, nullptr, 0), 5);
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH, "AB", 2, nullptr, 0), 4);
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH, "AB", -1, out, 4), 0);  // too small
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH, "AB", -1, out, 5), 5);
    EXPECT_EQ(std::string(out, 5), std::string("\x82\x60\x82\x61\0", 5));
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH, "ｶﾞ", 1, out, sizeof out), 2);  // the mark is cut off
    EXPECT_EQ(std::string(out, 2), "\x83\x4A");
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH | 0x00400000, "AB", -1, out, sizeof out), 0);  // and half-width
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH, "AB", 0, out, sizeof out), 0);
    EXPECT_EQ(LCMapStringA(0x411, LCMAP_FULLWIDTH, nullptr, -1, out, sizeof out), 0);
}

}  // namespace
