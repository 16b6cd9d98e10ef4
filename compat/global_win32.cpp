// GlobalAlloc on Windows: the system's own, behind the failure switch.

#include "compat/testhooks.h"
#include "compat/win32.h"

#include <atomic>

#undef GlobalAlloc

namespace {

std::atomic<int> g_failuresLeft{0};

}  // namespace

namespace compat {

void FailNextGlobalAllocs(int count) { g_failuresLeft = count > 0 ? count : 0; }

// Wine's ntdll exports its version; Windows' does not.
bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace compat

HGLOBAL DeprLinkGlobalAlloc(UINT flags, SIZE_T bytes) {
    int left = g_failuresLeft.load();
    while (left > 0) {
        if (g_failuresLeft.compare_exchange_weak(left, left - 1)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    return GlobalAlloc(flags, bytes);
}
