// Code page 932 byte classes and conversions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// _mbsbtype answers
constexpr int _MBC_SINGLE = 0;
constexpr int _MBC_LEAD = 1;
constexpr int _MBC_TRAIL = 2;
constexpr int _MBC_ILLEGAL = -1;

int _ismbblead(unsigned int c);   // 0x81-0x9F, 0xE0-0xFC
int _ismbbtrail(unsigned int c);  // 0x40-0x7E, 0x80-0xFC
int _ismbcdigit(unsigned int c);  // single-byte '0'..'9' only
// Type of the byte at index count of str, judged by scanning from its start.
int _mbsbtype(const unsigned char* str, size_t count);
// -1 when current is the trail byte of a double-byte character, else 0.
int _ismbstrail(const unsigned char* str, const unsigned char* current);
// Copies at most count bytes, never the lead byte of a pair alone; pads
// nothing; terminates when there is room left within count.
unsigned char* _mbsnbcpy(unsigned char* dst, const unsigned char* src, size_t count);

// 1 when the byte at index belongs to a double-byte character (lead byte
// followed by a valid trail byte, or that trail byte), judged from the start.
int IsDbcsByte(const char* text, int index);

// Makes path end in "\\" within a buffer of size bytes; see the callers.
// 0 for a null or empty path, size <= 0, or no room.
int AppendBackslash(char* path, int size);

namespace compat {

// iconv "CP932" conversions.  Bytes that do not convert are replaced by
// "?" (Shift_JIS side) or U+FFFD (UTF-8 side); ok, when given, says
// whether everything converted.
std::string SjisToUtf8(std::string_view sjis, bool* ok = nullptr);
std::string Utf8ToSjis(std::string_view utf8, bool* ok = nullptr);

// The text with its ASCII letters upper-cased and its double-byte
// characters untouched (their trail bytes may look like letters): the key
// for comparing names as Windows does, without regard to case.
std::string FoldCase(std::string_view sjis);

// The length (1 or 2) of the code page 932 character that starts text,
// when it is one that a reader of the code page decodes into a character
// an XML document may hold; 0 for anything else: a C0 control other than
// TAB, CR and LF, a byte no character starts with, a lead byte without its
// trail byte, or a pair the code page leaves unassigned.  left is the
// number of bytes available from text.
size_t XmlCharLength(const unsigned char* text, size_t left);

}  // namespace compat
