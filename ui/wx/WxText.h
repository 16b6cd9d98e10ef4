// Text crossing between the program (code page 932 bytes) and the toolkit
// (wxString), and the dialog font and units of the program's windows.
#pragma once

#include <string>
#include <string_view>

#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

class wxWindow;

namespace wxui {

// cp932 bytes to a wx string.  Bytes that do not convert show as U+FFFD, so
// a damaged name still shows everything around the damage.
wxString FromCp932(std::string_view bytes);

// A wx string to cp932.  Characters code page 932 cannot hold become "?";
// ok, when given, says whether everything converted.
std::string ToCp932(const wxString& text, bool* ok = nullptr);

// Number of cp932 bytes of text, or -1 when some character has none.
long Cp932Length(const wxString& text);

// A UTF-8 literal (u8"...") as a wx string.
wxString FromU8(const char8_t* text);

// The font of the program's dialog resources, "ＭＳ Ｐゴシック" 9 pt, or the
// closest installed Japanese font when that face is missing.
wxFont DialogFont();

// A control's rectangle in pixels from its dialog units, against the
// dialog font of dialog (which must have that font set).
wxRect DialogUnitsToPixels(const wxWindow* dialog, int x, int y, int w, int h);

}  // namespace wxui
