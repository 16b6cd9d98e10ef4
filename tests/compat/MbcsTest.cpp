// Code page 932 byte classes, the double-byte-aware path helpers and the
// conversions.

#include "compat/mbcs.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

using testsupport::U8;

struct ByteClassCase {
    unsigned int byte;
    int lead;
    int trail;
};

const ByteClassCase kByteClasses[] = {
    {0x3F, 0, 0}, {0x40, 0, 1}, {0x5C, 0, 1}, {0x7E, 0, 1}, {0x7F, 0, 0}, {0x80, 0, 1}, {0x81, 1, 1},
    {0x9F, 1, 1}, {0xA0, 0, 1}, {0xDF, 0, 1}, {0xE0, 1, 1}, {0xFC, 1, 1}, {0xFD, 0, 0},
};

TEST(MbcsByteClass, LeadAndTrailRanges) {
    for (const ByteClassCase& c : kByteClasses) {
        SCOPED_TRACE(c.byte);
        EXPECT_EQ(_ismbblead(c.byte) != 0, c.lead != 0);
        EXPECT_EQ(_ismbbtrail(c.byte) != 0, c.trail != 0);
    }
    EXPECT_TRUE(_ismbcdigit('7'));
    EXPECT_FALSE(_ismbcdigit(0x8250));  // full-width 1
}

struct TypeCase {
    const char* text;
    size_t index;
    int type;
};

// "a表b" is 61 95 5C 62: the 0x5C is a trail byte.
const TypeCase kTypes[] = {
    {"a表b", 0, _MBC_SINGLE}, {"a表b", 1, _MBC_LEAD},        {"a表b", 2, _MBC_TRAIL},
    {"a表b", 3, _MBC_SINGLE}, {"\x95\x20", 1, _MBC_ILLEGAL},  // a lead byte before a byte no trail can be
    {"a", 3, _MBC_ILLEGAL},                                   // past the terminator
    {"ｱ", 0, _MBC_SINGLE},                                    // half-width katakana
};

TEST(MbcsByteClass, MbsbtypeScansFromTheStart) {
    for (const TypeCase& c : kTypes) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(_mbsbtype(reinterpret_cast<const unsigned char*>(c.text), c.index), c.type);
    }
    const unsigned char* text = reinterpret_cast<const unsigned char*>("C:\\帳表");
    EXPECT_EQ(_ismbstrail(text, text + 6), -1);
    EXPECT_EQ(_ismbstrail(text, text + 2), 0);
}

struct CopyCase {
    const char* source;
    size_t count;
    const char* expected;  // bytes of the destination, 'X' where untouched
    size_t length;
};

const CopyCase kCopies[] = {
    {"表a", 1, "\0XXX", 4},  // half a character is not copied
    {"表a", 2, "表XX", 4},   // exactly full: no terminator
    {"表a", 4, "表a\0", 4},
    {"ab", 1, "aXXX", 4},
};

TEST(MbcsCopy, NeverSplitsACharacter) {
    for (const CopyCase& c : kCopies) {
        SCOPED_TRACE(c.count);
        unsigned char buffer[4];
        memset(buffer, 'X', sizeof buffer);
        _mbsnbcpy(buffer, reinterpret_cast<const unsigned char*>(c.source), c.count);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), c.length), std::string(c.expected, c.length));
    }
}

struct DbcsCase {
    const char* text;
    int index;
    int expected;
};

// 帳 is 92 A0, 表 is 95 5C.
const DbcsCase kDbcs[] = {
    {"C:\\帳表", 2, 0},  {"C:\\帳表", 3, 1},  {"C:\\帳表", 4, 1}, {"C:\\帳表", 6, 1},  // the 0x5C of 表
    {"C:\\帳表", 7, 0},                                                                // the terminator
    {"C:\\帳表", 40, 0}, {"C:\\帳表", -1, 0}, {"\x95", 0, 0},                          // a lead byte at the end
    {"\x95\x20", 0, 0},  // a lead byte before an invalid trail
    {"ｱ\\", 1, 0},       // half-width katakana is single-byte
    {nullptr, 0, 0},
};

TEST(MbcsPathHelpers, IsDbcsByte) {
    for (const DbcsCase& c : kDbcs) {
        SCOPED_TRACE(testing::Message() << (c.text != nullptr ? c.text : "(null)") << " @" << c.index);
        EXPECT_EQ(IsDbcsByte(c.text, c.index), c.expected);
    }
}

struct AppendCase {
    const char* path;
    int size;
    int result;
    const char* after;
};

const AppendCase kAppends[] = {
    {"C:\\a", 10, 1, "C:\\a\\"},
    {"C:\\a\\", 10, 1, "C:\\a\\"},
    {"C:\\帳表", 20, 1, "C:\\帳表\\"},  // ends in a trail 0x5C: still no separator
    {"abc", 5, 1, "abc\\"},
    {"abc", 4, 0, "abc"},  // no room for the separator and NUL
    {"C:\\表", 6, 0, "C:\\表"},
    {"", 10, 0, ""},
    {"abc", 0, 0, "abc"},
    {"abc", -1, 0, "abc"},
};

TEST(MbcsPathHelpers, AppendBackslash) {
    for (const AppendCase& c : kAppends) {
        SCOPED_TRACE(testing::Message() << c.path << " size " << c.size);
        char buffer[32];
        snprintf(buffer, sizeof buffer, "%s", c.path);
        EXPECT_EQ(AppendBackslash(buffer, c.size), c.result);
        EXPECT_STREQ(buffer, c.after);
    }
    EXPECT_EQ(AppendBackslash(nullptr, 10), 0);
}

struct ConversionCase {
    const char* sjis;
    std::string utf8;
};

TEST(MbcsConversion, RoundTripsIncludingNecCharacters) {
    const ConversionCase cases[] = {
        {"C:\\帳表\\a.xml", U8(u8"C:\\帳表\\a.xml")},
        {"①㎡", U8(u8"①㎡")},
        {"ｶﾞ", U8(u8"ｶﾞ")},
        {"", ""},
    };
    for (const ConversionCase& c : cases) {
        bool ok = false;
        EXPECT_EQ(compat::SjisToUtf8(c.sjis, &ok), c.utf8);
        EXPECT_TRUE(ok);
        EXPECT_EQ(compat::Utf8ToSjis(c.utf8, &ok), c.sjis);
        EXPECT_TRUE(ok);
    }
}

TEST(MbcsConversion, ReplacesWhatDoesNotConvert) {
    bool ok = true;
    EXPECT_EQ(compat::SjisToUtf8("a\x85\x40z", &ok).substr(0, 4), "a\xEF\xBF\xBD");
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(compat::SjisToUtf8("a\x81", &ok), "a\xEF\xBF\xBD");  // cut off at the end
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(compat::Utf8ToSjis(U8(u8"a\U0001F600b"), &ok), "a?b");
    EXPECT_FALSE(ok);
}

TEST(MbcsConversion, FoldCaseLeavesTrailBytesAlone) {
    // ヂ is 83 61: its trail byte is an "a".
    EXPECT_EQ(compat::FoldCase("c:\\ヂa"), "C:\\ヂA");
}

}  // namespace
