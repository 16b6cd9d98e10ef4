// The entry points of the windows module: the front-end functions of
// ui/Frontend.h under names of their own, which the program's loader looks
// up once it has loaded the module.
#include "ui/Frontend.h"

extern "C" {

__attribute__((visibility("default"))) bool DeprLinkWxStart(int* argc, char** argv) {
    return StartWxFrontend(*argc, argv);
}

__attribute__((visibility("default"))) void DeprLinkWxStop() { StopWxFrontend(); }

// The caller owns the front end; it lives in this module, which stays
// loaded for the life of the process.
__attribute__((visibility("default"))) Frontend* DeprLinkWxMake() { return MakeWxFrontend().release(); }
}
