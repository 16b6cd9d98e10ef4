// Writes the resource script of the dialogs (DialogScript.h) to the file
// named on the command line.  Built for the machine that builds, run by
// the build.
#include <cstdio>

#include "ui/win32/DialogScript.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <script.rc>\n", argv[0]);
        return 2;
    }
    const std::string script = DialogScript();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(script.data(), 1, script.size(), out) == script.size();
    if (std::fclose(out) != 0 || !written) {
        std::perror(argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
