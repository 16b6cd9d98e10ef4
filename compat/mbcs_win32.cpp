// Code page 932 conversions through Windows' own code page tables.

#include "compat/mbcs.h"

#include "compat/backend.h"
#include "compat/win32.h"

namespace compat {

namespace {

constexpr UINT kCp932 = 932;

// UTF-16 of bytes in a code page; false when some bytes do not convert.
bool ToWide(UINT codePage, const char* in, size_t length, std::wstring& out) {
    out.clear();
    if (length == 0) return true;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, static_cast<int>(length), out.data(), n) == n;
}

// Bytes in a code page of UTF-16; false when some characters have no
// form there.  Best-fit mappings (a yen sign for "\\") are refused, as
// iconv refuses them.
bool FromWide(UINT codePage, const std::wstring& in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    BOOL usedDefault = FALSE;
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    int n = WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, used);
    if (n <= 0 || usedDefault) return false;
    out.resize(static_cast<size_t>(n));
    n = WideCharToMultiByte(codePage, flags, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr, used);
    return n == static_cast<int>(out.size()) && !usedDefault;
}

bool Convert(UINT from, UINT to, const char* in, size_t length, std::string& out) {
    std::wstring wide;
    return ToWide(from, in, length, wide) && FromWide(to, wide, out);
}

// The length of the character at s: a code page 932 pair or one byte.
size_t SjisUnit(const unsigned char* s, size_t left) { return left >= 2 && _ismbblead(s[0]) ? 2 : 1; }

// The length of the UTF-8 sequence at s, as far as it is well formed.
size_t Utf8Unit(const unsigned char* s, size_t left) {
    size_t n = 1;
    if (s[0] >= 0xC0) {
        size_t want = s[0] >= 0xF0 ? 4 : s[0] >= 0xE0 ? 3 : 2;
        while (n < want && n < left && (s[n] & 0xC0) == 0x80) ++n;
    }
    return n;
}

// The whole text in one go; when that fails, character by character, each
// one that does not convert replaced and skipped (a byte of code page 932,
// a sequence of UTF-8), as the iconv backend does.
template <typename Unit>
std::string Run(UINT from, UINT to, std::string_view in, const char* replacement, Unit unit, bool* ok) {
    std::string out;
    if (Convert(from, to, in.data(), in.size(), out)) {
        if (ok) *ok = true;
        return out;
    }
    out.clear();
    const unsigned char* s = reinterpret_cast<const unsigned char*>(in.data());
    size_t i = 0;
    std::string piece;
    while (i < in.size()) {
        size_t n = unit(s + i, in.size() - i);
        if (Convert(from, to, in.data() + i, n, piece)) {
            out += piece;
            i += n;
        } else {
            out += replacement;
            i += from == kCp932 ? 1 : n;
        }
    }
    if (ok) *ok = false;
    return out;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis, bool* ok) {
    return Run(kCp932, CP_UTF8, sjis, "\xEF\xBF\xBD", SjisUnit, ok);  // U+FFFD
}

std::string Utf8ToSjis(std::string_view utf8, bool* ok) { return Run(CP_UTF8, kCp932, utf8, "?", Utf8Unit, ok); }

// A pair's character as Windows' own code page table decodes it, the
// table every Windows reader of a report uses.
char32_t Cp932PairCharacter(unsigned lead, unsigned trail) {
    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    wchar_t wide[2] = {};
    if (MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) return 0;
    return static_cast<char32_t>(wide[0]);
}

}  // namespace compat
