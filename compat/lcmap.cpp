// LCMapStringA with LCMAP_FULLWIDTH for code page 932.

#include <array>
#include <cstring>
#include <string>

#include "compat/mbcs.h"
#include "compat/win32.h"

namespace {

constexpr LCID kJapanese = 0x0411;

// Full-width forms of the half-width katakana 0xA1..0xDF (Unicode).
constexpr char16_t kKatakana[0xDF - 0xA1 + 1] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3,  // A1-A8
    0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC,  // A9-B0
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF,  // B1-B8
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF,  // B9-C0
    0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD,  // C1-C8
    0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF,  // C9-D0
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA,  // D1-D8
    0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,          // D9-DF
};

constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

std::string EncodeCp932(char16_t unit) {
    char utf8[4];
    if (unit < 0x800) {
        utf8[0] = static_cast<char>(0xC0 | (unit >> 6));
        utf8[1] = static_cast<char>(0x80 | (unit & 0x3F));
        utf8[2] = 0;
    } else {
        utf8[0] = static_cast<char>(0xE0 | (unit >> 12));
        utf8[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        utf8[2] = static_cast<char>(0x80 | (unit & 0x3F));
        utf8[3] = 0;
    }
    bool ok = false;
    std::string out = compat::Utf8ToSjis(utf8, &ok);
    return ok && out.size() == 2 ? out : std::string();
}

struct FullWidthTable {
    // Indexed by the single byte; empty where the byte stays as it is.
    std::array<std::string, 256> single;
    // Indexed by the kana byte: its form with the voiced and the semi-voiced
    // mark, empty where that combination does not exist.
    std::array<std::string, 256> voiced;
    std::array<std::string, 256> semiVoiced;

    FullWidthTable() {
        single[' '] = EncodeCp932(0x3000);
        for (unsigned c = 0x21; c <= 0x7E; ++c) single[c] = EncodeCp932(static_cast<char16_t>(0xFF01 + (c - 0x21)));
        for (unsigned c = 0xA1; c <= 0xDF; ++c) single[c] = EncodeCp932(kKatakana[c - 0xA1]);
        // カ..ト and ハ..ホ take both marks' neighbours in Unicode order.
        for (unsigned c = 0xB6; c <= 0xC4; ++c) voiced[c] = EncodeCp932(static_cast<char16_t>(kKatakana[c - 0xA1] + 1));
        for (unsigned c = 0xCA; c <= 0xCE; ++c) {
            voiced[c] = EncodeCp932(static_cast<char16_t>(kKatakana[c - 0xA1] + 1));
            semiVoiced[c] = EncodeCp932(static_cast<char16_t>(kKatakana[c - 0xA1] + 2));
        }
        voiced[0xB3] = EncodeCp932(0x30F4);  // ヴ
    }
};

const FullWidthTable& Table() {
    static const FullWidthTable table;
    return table;
}

}  // namespace

LCID GetSystemDefaultLCID() { return kJapanese; }

int LCMapStringA(LCID /*locale*/, DWORD flags, const char* src, int srcLen, char* dst, int dstLen) {
    if (flags != LCMAP_FULLWIDTH || src == nullptr || srcLen == 0 || srcLen < -1 || dstLen < 0 ||
        (dstLen > 0 && dst == nullptr))
        return 0;
    size_t length = srcLen == -1 ? strlen(src) + 1 : static_cast<size_t>(srcLen);
    const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
    const FullWidthTable& table = Table();

    std::string out;
    out.reserve(length * 2);
    for (size_t i = 0; i < length;) {
        unsigned char c = s[i];
        if (_ismbblead(c) && i + 1 < length && _ismbbtrail(s[i + 1])) {
            out.append(src + i, 2);
            i += 2;
            continue;
        }
        unsigned char next = i + 1 < length ? s[i + 1] : 0;
        const std::string* combined = nullptr;
        if (next == kVoicedMark && !table.voiced[c].empty())
            combined = &table.voiced[c];
        else if (next == kSemiVoicedMark && !table.semiVoiced[c].empty())
            combined = &table.semiVoiced[c];
        if (combined != nullptr) {
            out += *combined;
            i += 2;
        } else if (!table.single[c].empty()) {
            out += table.single[c];
            ++i;
        } else {
            out += static_cast<char>(c);
            ++i;
        }
    }
    if (dstLen == 0) return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(dstLen)) return 0;
    memcpy(dst, out.data(), out.size());
    return static_cast<int>(out.size());
}
