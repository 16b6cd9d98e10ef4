// The wxWidgets windows, loaded from their module when the program first
// asks for them: a run on the terminal never loads the toolkit, whose
// libraries cost more to load and link than a small company's whole run.
//
// The module lies next to the program, or where the build made it.  It is
// never unloaded: the toolkit keeps state for the life of the process.
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ui/Frontend.h"

namespace {

const char kModuleName[] = "libdeprlink_wx_module.so";

struct WindowsModule {
    bool (*start)(int*, char**) = nullptr;
    void (*stop)() = nullptr;
    Frontend* (*make)() = nullptr;
};

std::string ModulePath() {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string beside(self, static_cast<size_t>(length));
        beside.erase(beside.rfind('/') + 1);
        beside += kModuleName;
        if (access(beside.c_str(), R_OK) == 0) return beside;
    }
#ifdef DEPRLINK_WX_MODULE
    return DEPRLINK_WX_MODULE;
#else
    return kModuleName;
#endif
}

// The loaded module, or null (said once on standard error).
const WindowsModule* Module() {
    static WindowsModule module;
    static bool tried = false;
    static bool loaded = false;
    if (tried) return loaded ? &module : nullptr;
    tried = true;
    const std::string path = ModulePath();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
        module.start = reinterpret_cast<bool (*)(int*, char**)>(dlsym(handle, "DeprLinkWxStart"));
        module.stop = reinterpret_cast<void (*)()>(dlsym(handle, "DeprLinkWxStop"));
        module.make = reinterpret_cast<Frontend* (*)()>(dlsym(handle, "DeprLinkWxMake"));
    }
    loaded = module.start != nullptr && module.stop != nullptr && module.make != nullptr;
    if (!loaded) {
        const char* why = dlerror();
        std::fprintf(stderr, "cannot load the windows from %s: %s\n", path.c_str(),
                     why != nullptr ? why : "no entry points");
    }
    return loaded ? &module : nullptr;
}

}  // namespace

bool StartWxFrontend(int& argc, char** argv) {
    const WindowsModule* module = Module();
    return module != nullptr && module->start(&argc, argv);
}

void StopWxFrontend() {
    if (const WindowsModule* module = Module()) module->stop();
}

std::unique_ptr<Frontend> MakeWxFrontend() {
    const WindowsModule* module = Module();
    return std::unique_ptr<Frontend>(module != nullptr ? module->make() : nullptr);
}

// The program's windows on Linux are the wxWidgets ones, on an X display.
bool WindowDisplayPresent() { return getenv("DISPLAY") != nullptr; }

bool StartWindowFrontend(int& argc, char** argv) { return StartWxFrontend(argc, argv); }

void StopWindowFrontend() { StopWxFrontend(); }

std::unique_ptr<Frontend> MakeWindowFrontend() { return MakeWxFrontend(); }
