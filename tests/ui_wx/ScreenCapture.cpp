#include "ScreenCapture.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/utils.h>
#include <wx/window.h>

// Xlib last: its macros (None, Status, Bool...) would clash with the
// toolkit's names.
#include <X11/XWDFile.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace screen {
namespace {

long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The position of the lowest set bit of a channel mask and its width.
void MaskShift(unsigned long mask, int* shift, int* bits) {
    *shift = 0;
    *bits = 0;
    if (mask == 0) return;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++*shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++*bits;
    }
}

unsigned char Channel(unsigned long pixel, int shift, int bits) {
    if (bits == 0) return 0;
    const unsigned long value = (pixel >> shift) & ((1UL << bits) - 1);
    return static_cast<unsigned char>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
}

}  // namespace

// A connection of its own, as a person looking at the screen has: drawing
// the toolkit still holds back in its connection's buffer is not seen.
Display* OwnConnection() {
    static Display* const display = XOpenDisplay(nullptr);
    return display;
}

wxImage Capture(const wxRect& rect) {
    Display* display = OwnConnection();
    if (display == nullptr || rect.IsEmpty()) return wxImage();
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    const wxRect visible = rect.Intersect(wxRect(0, 0, screenWidth, screenHeight));
    if (visible.IsEmpty()) return wxImage();
    XImage* shot =
        XGetImage(display, DefaultRootWindow(display), visible.x, visible.y, static_cast<unsigned>(visible.width),
                  static_cast<unsigned>(visible.height), AllPlanes, ZPixmap);
    if (shot == nullptr) return wxImage();
    int rs, rb, gs, gb, bs, bb;
    MaskShift(shot->red_mask, &rs, &rb);
    MaskShift(shot->green_mask, &gs, &gb);
    MaskShift(shot->blue_mask, &bs, &bb);
    wxImage image(visible.width, visible.height);
    for (int y = 0; y < visible.height; ++y) {
        for (int x = 0; x < visible.width; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            image.SetRGB(x, y, Channel(pixel, rs, rb), Channel(pixel, gs, gb), Channel(pixel, bs, bb));
        }
    }
    XDestroyImage(shot);
    return image;
}

wxRect ClientRect(const wxWindow* window) {
    return wxRect(window->ClientToScreen(wxPoint(0, 0)), window->GetClientSize());
}

bool HoldsText(const wxImage& image) {
    if (!image.IsOk()) return false;
    const unsigned char* data = image.GetData();
    const long pixels = static_cast<long>(image.GetWidth()) * image.GetHeight();
    long dark = 0, light = 0;
    for (long i = 0; i < pixels; ++i) {
        const int luma = (data[3 * i] * 299 + data[3 * i + 1] * 587 + data[3 * i + 2] * 114) / 1000;
        if (luma < 100) ++dark;
        if (luma > 180) ++light;
    }
    // Text is dark strokes on a light ground: a box left black, or drawn
    // only as its background, has one of the two alone.
    return dark >= 40 && light >= pixels / 2;
}

wxImage OwnPainting(wxWindow* window) {
    const wxSize size = window->GetClientSize();
    if (size.x <= 0 || size.y <= 0) return wxImage();
    wxBitmap bitmap(size.x, size.y, 24);
    wxMemoryDC memory(bitmap);
    wxClientDC source(window);
    const bool copied = memory.Blit(0, 0, size.x, size.y, &source, 0, 0);
    memory.SelectObject(wxNullBitmap);
    return copied ? bitmap.ConvertToImage() : wxImage();
}

bool OnScreen(wxWindow* window, wxImage* shot) {
    const wxImage seen = Capture(ClientRect(window));
    if (shot) *shot = seen;
    const wxImage own = OwnPainting(window);
    // A native dialog of the toolkit's cannot be read as the program's own
    // windows can; text on the screen where it stands is all there is.
    if (!own.IsOk()) return HoldsText(seen);
    if (!seen.IsOk() || !own.IsOk() || seen.GetSize() != own.GetSize() || !HoldsText(own)) return false;
    // Nearly every pixel as the window drew it: a window left black, or one
    // not yet on top of what lay there before, differs in most of them.
    const long pixels = static_cast<long>(seen.GetWidth()) * seen.GetHeight();
    long differing = 0;
    for (long i = 0; i < 3 * pixels; i += 3) {
        const unsigned char* a = seen.GetData() + i;
        const unsigned char* b = own.GetData() + i;
        if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 24) ++differing;
    }
    return differing <= pixels / 100;
}

namespace {

// Lets the toolkit draw (drawing events only) until seen() or timeoutMs
// have passed; the answer of the last seen().
bool DrawUntil(const std::function<bool()>& seen, int timeoutMs) {
    std::unique_ptr<wxEventLoopBase> own;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) {
        own.reset(new wxGUIEventLoop);
        loop = own.get();
    }
    const long deadline = NowMs() + timeoutMs;
    for (;;) {
        if (!loop->IsYielding()) loop->YieldFor(wxEVT_CATEGORY_UI);
        if (seen()) return true;
        if (NowMs() >= deadline) return false;
        wxMilliSleep(10);
    }
}

}  // namespace

bool WaitUntilShown(wxWindow* window, wxImage* last, int timeoutMs) {
    return DrawUntil([&] { return OnScreen(window, last); }, timeoutMs);
}

// The part of a capture of the screen that is not its black ground.
wxImage WindowsPart(const wxImage& image) {
    if (!image.IsOk()) return image;
    int left = image.GetWidth(), top = image.GetHeight(), right = -1, bottom = -1;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (image.GetRed(x, y) || image.GetGreen(x, y) || image.GetBlue(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return wxImage();
    return image.GetSubImage(wxRect(left, top, right - left + 1, bottom - top + 1));
}

bool WaitUntilOnScreen(const wxRect& rect, wxImage* last, int timeoutMs) {
    return DrawUntil(
        [&] {
            const wxImage windows = WindowsPart(Capture(rect));
            if (last) *last = windows;
            return HoldsText(windows);
        },
        timeoutMs);
}

wxImage FromXwd(const std::string& dump, const wxRect& rect) {
    // The header is big-endian 32-bit numbers whatever the image's own
    // byte order; the window's name and the colour table follow it.
    XWDFileHeader header;
    if (dump.size() < sz_XWDheader) return wxImage();
    static_assert(sizeof header == sz_XWDheader);
    CARD32* field = reinterpret_cast<CARD32*>(&header);
    for (size_t i = 0; i < sz_XWDheader / 4; ++i) {
        const unsigned char* b = reinterpret_cast<const unsigned char*>(dump.data()) + 4 * i;
        field[i] = (CARD32{b[0]} << 24) | (CARD32{b[1]} << 16) | (CARD32{b[2]} << 8) | b[3];
    }
    const bool decomposed = header.visual_class == TrueColor || header.visual_class == DirectColor;
    if (header.file_version != XWD_FILE_VERSION || header.pixmap_format != ZPixmap || !decomposed) return wxImage();
    const int width = static_cast<int>(header.pixmap_width);
    const int height = static_cast<int>(header.pixmap_height);
    const size_t bytesPerPixel = header.bits_per_pixel / 8;
    const size_t start = header.header_size + static_cast<size_t>(header.ncolors) * sz_XWDColor;
    if (bytesPerPixel < 3 || bytesPerPixel > 4 || dump.size() < start + size_t{header.bytes_per_line} * height)
        return wxImage();
    const wxRect visible = rect.Intersect(wxRect(0, 0, width, height));
    if (visible.IsEmpty()) return wxImage();
    int rs, rb, gs, gb, bs, bb;
    MaskShift(header.red_mask, &rs, &rb);
    MaskShift(header.green_mask, &gs, &gb);
    MaskShift(header.blue_mask, &bs, &bb);
    wxImage image(visible.width, visible.height);
    for (int y = 0; y < visible.height; ++y) {
        const unsigned char* row = reinterpret_cast<const unsigned char*>(dump.data()) + start +
                                   size_t{header.bytes_per_line} * static_cast<size_t>(visible.y + y);
        for (int x = 0; x < visible.width; ++x) {
            const unsigned char* p = row + bytesPerPixel * static_cast<size_t>(visible.x + x);
            unsigned long pixel = 0;
            for (size_t i = 0; i < bytesPerPixel; ++i) {
                const size_t byte = header.byte_order == LSBFirst ? bytesPerPixel - 1 - i : i;
                pixel = (pixel << 8) | p[byte];
            }
            image.SetRGB(x, y, Channel(pixel, rs, rb), Channel(pixel, gs, gb), Channel(pixel, bs, bb));
        }
    }
    return image;
}

namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The UTF-8 name a window shows in its title bar, empty for none.
std::string TitleOf(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom name = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    std::string title;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        if (type == utf8 && format == 8) title.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return title;
}

// The topmost window under parent, itself included, that is mapped and
// has title; 0 for none.
Window FindByTitle(Display* display, Window parent, const std::string& title) {
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, parent, &root, &up, &children, &count)) {
        // Bottom to top: the last one found is the one in front.
        for (unsigned int i = 0; i < count; ++i)
            if (Window inner = FindByTitle(display, children[i], title)) found = inner;
        if (children) XFree(children);
    }
    if (found) return found;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, parent, &attributes) && attributes.map_state == IsViewable &&
        TitleOf(display, parent) == title)
        return parent;
    return 0;
}

}  // namespace

bool FindShownWindow(const std::string& title, ShownWindow* window) {
    Display* display = OwnConnection();
    if (display == nullptr) return false;
    // A window may go between two questions about it: that is no error
    // of the test's.
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler(IgnoreXError);
    const Window root = DefaultRootWindow(display);
    const Window found = FindByTitle(display, root, title);
    XWindowAttributes attributes;
    int x = 0, y = 0;
    Window child = 0;
    const bool placed = found != 0 && XGetWindowAttributes(display, found, &attributes) &&
                        XTranslateCoordinates(display, found, root, 0, 0, &x, &y, &child);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (!placed) return false;
    window->id = found;
    window->rect = wxRect(x, y, attributes.width, attributes.height);
    window->focused = focus == found;
    window->defaultVisual = attributes.visual == DefaultVisual(display, DefaultScreen(display));
    return true;
}

bool Save(const wxImage& image, const std::string& name) {
    if (!image.IsOk()) return false;
    mkdir("screenshots", 0755);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    std::string file = name;
    if (JapaneseLocale()) {
        const size_t dot = file.rfind('.');
        file.insert(dot == std::string::npos ? file.size() : dot, "-ja");
    }
    return image.SaveFile("screenshots/" + file, wxBITMAP_TYPE_PNG);
}

bool JapaneseLocale() {
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    return messages != nullptr && std::strncmp(messages, "ja", 2) == 0;
}

}  // namespace screen
