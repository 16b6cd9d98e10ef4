#include "ui/wx/WxText.h"

#include <iconv.h>
#include <cerrno>

#include <wx/fontenum.h>
#include <wx/settings.h>
#include <wx/window.h>

namespace wxui {
namespace {

// One conversion direction of iconv, opened once for the process (all
// callers run on the GUI thread).
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in, replacing each input unit that does not convert with
    // replacement; unitLength gives the length of the unit starting at a
    // byte.  False when something was replaced.
    template <typename UnitLength>
    bool Convert(std::string_view in, std::string& out, std::string_view replacement, UnitLength unitLength) {
        out.clear();
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            out.assign(in.size(), '?');
            return in.empty();
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        bool clean = true;
        char buffer[256];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
            // EILSEQ or EINVAL: skip the unit that failed.
            clean = false;
            out.append(replacement);
            size_t skip = unitLength(static_cast<unsigned char>(*src));
            if (skip > srcLeft) skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return clean;
    }

private:
    iconv_t m_cd;
};

size_t Cp932UnitLength(unsigned char lead) {
    // A lead byte whose pair failed is skipped alone: its trail may be the
    // start of the next character.
    (void)lead;
    return 1;
}

size_t Utf8UnitLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

Converter& ToUtf8() {
    static Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& ToSjis() {
    static Converter converter("CP932", "UTF-8");
    return converter;
}

}  // namespace

wxString FromCp932(std::string_view bytes) {
    std::string utf8;
    ToUtf8().Convert(bytes, utf8, "\xEF\xBF\xBD", Cp932UnitLength);
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::string ToCp932(const wxString& text, bool* ok) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    std::string sjis;
    bool clean = ToSjis().Convert(std::string_view(utf8.data(), utf8.length()), sjis, "?", Utf8UnitLength);
    if (ok) *ok = clean;
    return sjis;
}

long Cp932Length(const wxString& text) {
    bool ok = false;
    std::string sjis = ToCp932(text, &ok);
    return ok ? static_cast<long>(sjis.size()) : -1;
}

wxString FromU8(const char8_t* text) { return wxString::FromUTF8(reinterpret_cast<const char*>(text)); }

wxFont DialogFont() {
    // The face is looked up once; the font itself is made per window, so
    // that no toolkit object outlives the toolkit.
    static const wxString face = [] {
        // The resource's face first, under its Japanese and its English
        // name; then the IPA faces, proportional first like the original.
        // The font list names a face in the user's language when the font
        // has a name in it, so a Japanese desktop lists "IPA Pゴシック"
        // where others list "IPAPGothic": both names are asked for.
        static const char8_t* const faces[] = {
            u8"ＭＳ Ｐゴシック", u8"MS PGothic", u8"IPAPGothic", u8"IPA Pゴシック", u8"IPAGothic", u8"IPAゴシック",
        };
        for (const char8_t* candidate : faces) {
            wxString name = FromU8(candidate);
            if (wxFontEnumerator::IsValidFacename(name)) return name;
        }
        return wxString();
    }();
    if (!face.empty()) return wxFont(wxFontInfo(9).FaceName(face));
    wxFont fallback = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    fallback.SetPointSize(9);
    return fallback;
}

wxRect DialogUnitsToPixels(const wxWindow* dialog, int x, int y, int w, int h) {
    return wxRect(dialog->ConvertDialogToPixels(wxPoint(x, y)), dialog->ConvertDialogToPixels(wxSize(w, h)));
}

}  // namespace wxui
