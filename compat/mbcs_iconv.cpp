// Code page 932 conversions through iconv.

#include "compat/mbcs.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "compat/backend.h"

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

// The character of every lead and trail pair, asked of iconv once: the
// reader of a report (libxml2 over iconv) decodes with the same table.
// Code page 932 assigns only characters of the Basic Multilingual Plane.
class PairTable {
public:
    PairTable() : m_chars(65536, 0) {
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
                if (code <= 0xFFFF) m_chars[lead << 8 | trail] = static_cast<char16_t>(code);
            }
        }
        iconv_close(cd);
    }
    char32_t At(unsigned lead, unsigned trail) const { return m_chars[(lead & 0xFF) << 8 | (trail & 0xFF)]; }

private:
    std::vector<char16_t> m_chars;
};

}  // namespace

char32_t Cp932PairCharacter(unsigned lead, unsigned trail) {
    static const PairTable table;
    return table.At(lead, trail);
}

}  // namespace compat
