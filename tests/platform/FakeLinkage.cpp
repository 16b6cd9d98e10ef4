// A stand-in for a linkage program, started by `bokctl run` in the tests:
// it does to the host window what its FIELD4 says, through the same calls
// the real program makes.
//
// FIELD4 is a list of letters: d disables the host, e enables it, p posts
// the message with wParam = function id and lParam = the number after p,
// r makes the host the parent of a window of its own.
// It prints how it was started: "argc=N" and "arg=<argv[1]>".

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compat/win32.h"

int main(int argc, char** argv) {
    std::printf("argc=%d\n", argc);
    if (argc < 2) return 0;
    std::printf("arg=%s\n", argv[1]);
    std::fflush(stdout);

    // "<window>,<message>,<function>,<FIELD4>"
    const std::string line = argv[1];
    const size_t first = line.find(','), second = line.find(',', first + 1), third = line.find(',', second + 1);
    if (third == std::string::npos) return 1;
    HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(std::atol(line.c_str())));
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
            SetParent(reinterpret_cast<HWND>(static_cast<intptr_t>(0x5150)), window);
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
