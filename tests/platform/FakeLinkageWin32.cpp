// The fake linkage program of FakeLinkage.cpp for Windows, where the host
// window is real: r creates a window of its own, makes the host its
// parent with SetParent, lets the host handle one message while the window
// is its child, and destroys the window again.  The other letters are the
// same: d disables the host, e enables it, p posts the message with
// wParam = function id and lParam = the number after p.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void ReParentAWindow(HWND host) {
    HWND own = CreateWindowExA(0, "STATIC", "fake", WS_POPUP | WS_CAPTION, 10, 10, 200, 80, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    SetParent(own, host);
    // A round trip through the host's window procedure, which looks for
    // its children whenever it handles a message.
    SendMessageA(host, WM_NULL, 0, 0);
    DestroyWindow(own);
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("argc=%d\n", argc);
    if (argc < 2) return 0;
    std::printf("arg=%s\n", argv[1]);
    std::fflush(stdout);

    // "<window>,<message>,<function>,<FIELD4>"
    const std::string line = argv[1];
    const size_t first = line.find(','), second = line.find(',', first + 1), third = line.find(',', second + 1);
    if (third == std::string::npos) return 1;
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(line.c_str(), nullptr, 10)));
    const UINT message = static_cast<UINT>(std::atol(line.c_str() + first + 1));
    const WPARAM function = static_cast<WPARAM>(std::atoi(line.c_str() + second + 1));
    const std::string actions = line.substr(third + 1);

    for (size_t i = 0; i < actions.size(); ++i) {
        switch (actions[i]) {
        case 'd':
            EnableWindow(window, FALSE);
            break;
        case 'e':
            EnableWindow(window, TRUE);
            break;
        case 'r':
            ReParentAWindow(window);
            break;
        case 'p':
            PostMessageA(window, message, function, std::atol(actions.c_str() + i + 1));
            break;
        default:
            break;
        }
    }
    return 0;
}
