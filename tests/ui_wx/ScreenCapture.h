// What the display shows, read back from the X server: the root window's
// pixels, so a window is seen as the user sees it, whatever drew it (or
// failed to).  A window's own painting, which the other tests read, would
// look right even where nothing reaches the screen.
#pragma once

#include <functional>
#include <string>

#include <wx/gdicmn.h>
#include <wx/image.h>

class wxWindow;

namespace screen {

// The screen's pixels in rect (screen coordinates), read over a connection
// to the display of its own.  An invalid image where there is no X display.
wxImage Capture(const wxRect& rect);

// The client area of window on the screen.
wxRect ClientRect(const wxWindow* window);

// True when image shows something written on it: not one colour, and
// enough dark pixels to be text.
bool HoldsText(const wxImage& image);

// The client area of window as the window itself holds it, read from the
// window and not from the screen: what the toolkit drew, whether or not it
// reached the screen.
wxImage OwnPainting(wxWindow* window);

// True when the screen shows window's client area as the window drew it,
// with text on it; the screen's capture in *shot.
bool OnScreen(wxWindow* window, wxImage* shot);

// How long a window may take to reach the screen before a test gives up.
// Only a failing test waits this long, so it is generous: a loaded machine
// (a sanitizer build beside other builds) takes seconds to map a dialog.
inline constexpr int kDrawTimeoutMs = 30000;

// Lets the toolkit draw (drawing events only) until window is OnScreen or
// timeoutMs have passed; the last capture in *last.  True when it was.
bool WaitUntilShown(wxWindow* window, wxImage* last, int timeoutMs = kDrawTimeoutMs);

// Lets the toolkit draw until some window in rect, on the black screen,
// shows text; the windows' part of the capture (their bounding box) in
// *last.  For windows the program cannot read itself.
bool WaitUntilOnScreen(const wxRect& rect, wxImage* last, int timeoutMs = kDrawTimeoutMs);

// The part rect of a dump of the root window as xwd -root writes it (XWD,
// ZPixmap, true or direct colour); an invalid image for a dump it cannot
// read.  Where windows stand on visuals other than the screen's default,
// xwd reads the screen visual by visual and may leave out what Capture,
// the server's own image, holds.
wxImage FromXwd(const std::string& dump, const wxRect& rect);

// A window mapped on the screen, as the X server knows it.
struct ShownWindow {
    unsigned long id = 0;
    wxRect rect;                 // on the screen, without border or frame
    bool focused = false;        // it has the keyboard
    bool defaultVisual = false;  // on the screen's default visual
};

// The frontmost mapped window whose title (its UTF-8 name) is title, in
// the whole window tree; false while there is none.
bool FindShownWindow(const std::string& title, ShownWindow* window);

// Saves image as screenshots/<name> in the test's working folder, with
// "-ja" before the extension when the user's language is Japanese.
bool Save(const wxImage& image, const std::string& name);

// True when the process runs in a Japanese locale (LANG=ja_JP.UTF-8).
bool JapaneseLocale();

}  // namespace screen
