// Code page 932 conversions through iconv.

#include "compat/mbcs.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace compat {

namespace {

// iconv descriptors are not thread-safe and cost an open each; one per
// thread and direction.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // skip tells how many input bytes an unconvertible sequence spans.
    template <typename Skip>
    std::string Run(std::string_view in, const char* replacement, Skip skip, bool* ok) {
        bool clean = true;
        std::string out;
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            if (ok) *ok = in.empty();
            return out;
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.reserve(in.size() * 3 / 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char chunk[1024];
        while (srcLeft > 0) {
            char* dst = chunk;
            size_t dstLeft = sizeof chunk;
            size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(chunk, static_cast<size_t>(dst - chunk));
            if (r != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (a sequence cut off at the end).
            clean = false;
            out.append(replacement);
            size_t n = skip(reinterpret_cast<const unsigned char*>(src), srcLeft);
            src += n;
            srcLeft -= n;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        if (ok) *ok = clean;
        return out;
    }

private:
    iconv_t m_cd;
};

size_t SkipSjis(const unsigned char*, size_t) { return 1; }

size_t SkipUtf8(const unsigned char* s, size_t left) {
    size_t n = 1;
    if (s[0] >= 0xC0) {
        size_t want = s[0] >= 0xF0 ? 4 : s[0] >= 0xE0 ? 3 : 2;
        while (n < want && n < left && (s[n] & 0xC0) == 0x80) ++n;
    }
    return n;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis, bool* ok) {
    thread_local Converter converter("UTF-8", "CP932");
    return converter.Run(sjis, "\xEF\xBF\xBD", SkipSjis, ok);  // U+FFFD
}

std::string Utf8ToSjis(std::string_view utf8, bool* ok) {
    thread_local Converter converter("CP932", "UTF-8");
    return converter.Run(utf8, "?", SkipUtf8, ok);
}

namespace {

// Which lead and trail pairs the code page assigns, asked of iconv once:
// the reader of a report (libxml2 over iconv) decodes with the same table.
class PairTable {
public:
    PairTable() : m_bits(65536 / 8, 0) {
        iconv_t cd = iconv_open("UTF-32LE", "CP932");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!_ismbblead(lead)) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!_ismbbtrail(trail)) continue;
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                unsigned char out[8] = {};
                char* src = in;
                char* dst = reinterpret_cast<char*>(out);
                size_t srcLeft = 2, dstLeft = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0 ||
                    dstLeft != 4)
                    continue;
                const uint32_t code = out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24;
                const bool xmlChar = code >= 0x20 && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE &&
                                     code != 0xFFFF && code <= 0x10FFFF;
                if (xmlChar) {
                    const unsigned index = lead << 8 | trail;
                    m_bits[index / 8] = static_cast<unsigned char>(m_bits[index / 8] | 1u << (index % 8));
                }
            }
        }
        iconv_close(cd);
    }
    bool Has(unsigned lead, unsigned trail) const {
        const unsigned index = lead << 8 | trail;
        return (m_bits[index / 8] >> (index % 8) & 1) != 0;
    }

private:
    std::vector<unsigned char> m_bits;
};

}  // namespace

size_t XmlCharLength(const unsigned char* text, size_t left) {
    if (text == nullptr || left == 0) return 0;
    const unsigned c = text[0];
    if (c < 0x20) return c == '\t' || c == '\r' || c == '\n' ? 1 : 0;
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) return 1;
    if (!_ismbblead(c) || left < 2) return 0;
    static const PairTable table;
    return table.Has(c, text[1]) ? 2 : 0;
}

}  // namespace compat
