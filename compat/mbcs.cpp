// Code page 932 byte classes; the conversions and the table of double-byte
// pairs are the backend's (mbcs_iconv.cpp, mbcs_win32.cpp).

#include "compat/mbcs.h"

#include <cstring>

#include "compat/backend.h"

int _ismbblead(unsigned int c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

int _ismbbtrail(unsigned int c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

int _ismbcdigit(unsigned int c) { return c >= '0' && c <= '9'; }

// The runtime's rule: a lead byte always starts a pair, and the byte after
// it is judged as a trail byte even when it cannot be one.
int _mbsbtype(const unsigned char* str, size_t count) {
    if (str == nullptr) return _MBC_ILLEGAL;
    size_t i = 0;
    for (;;) {
        unsigned char c = str[i];
        if (i == count) return _ismbblead(c) ? _MBC_LEAD : _MBC_SINGLE;
        if (c == 0) return _MBC_ILLEGAL;
        if (_ismbblead(c)) {
            if (i + 1 == count) return _ismbbtrail(str[i + 1]) ? _MBC_TRAIL : _MBC_ILLEGAL;
            if (str[i + 1] == 0) return _MBC_ILLEGAL;
            i += 2;
        } else {
            ++i;
        }
    }
}

int _ismbstrail(const unsigned char* str, const unsigned char* current) {
    if (str == nullptr || current == nullptr || current < str) return 0;
    return _mbsbtype(str, static_cast<size_t>(current - str)) == _MBC_TRAIL ? -1 : 0;
}

unsigned char* _mbsnbcpy(unsigned char* dst, const unsigned char* src, size_t count) {
    if (dst == nullptr || src == nullptr) return dst;
    size_t i = 0;
    while (i < count && src[i] != 0) {
        if (_ismbblead(src[i])) {
            // A pair that does not fit whole is left out entirely, so the
            // copy never ends in half a character.
            if (i + 1 >= count || src[i + 1] == 0) break;
            dst[i] = src[i];
            dst[i + 1] = src[i + 1];
            i += 2;
        } else {
            dst[i] = src[i];
            ++i;
        }
    }
    if (i < count) dst[i] = 0;
    return dst;
}

int IsDbcsByte(const char* text, int index) {
    if (text == nullptr || index < 0) return 0;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    int i = 0;
    while (s[i] != 0 && i <= index) {
        if (_ismbblead(s[i]) && _ismbbtrail(s[i + 1])) {
            if (index == i || index == i + 1) return 1;
            i += 2;
        } else {
            ++i;
        }
    }
    return 0;
}

int AppendBackslash(char* path, int size) {
    if (path == nullptr || path[0] == '\0' || size <= 0) return 0;
    size_t length = strlen(path);
    int last = static_cast<int>(length) - 1;
    if (path[last] == '\\' && !IsDbcsByte(path, last)) return 1;
    if (length >= static_cast<size_t>(size) - 1) return 0;
    path[length] = '\\';
    path[length + 1] = '\0';
    return 1;
}

namespace compat {

std::string FoldCase(std::string_view sjis) {
    std::string out(sjis);
    for (size_t i = 0; i < out.size();) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (_ismbblead(c) && i + 1 < out.size() && _ismbbtrail(static_cast<unsigned char>(out[i + 1]))) {
            i += 2;
            continue;
        }
        if (c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
        ++i;
    }
    return out;
}

// The single-byte half is the code page's own and the same everywhere;
// which pairs the code page assigns is the backend's table.
size_t XmlCharLength(const unsigned char* text, size_t left) {
    if (text == nullptr || left == 0) return 0;
    const unsigned c = text[0];
    if (c < 0x20) return c == '\t' || c == '\r' || c == '\n' ? 1 : 0;
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) return 1;
    if (!_ismbblead(c) || left < 2) return 0;
    const char32_t code = Cp932PairCharacter(c, text[1]);
    const bool xmlChar = code >= 0x20 && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF;
    return xmlChar ? 2 : 0;
}

}  // namespace compat
