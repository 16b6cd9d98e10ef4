// The host window on Windows: a real top-level window whose handle goes on
// the program's command line.  The program reaches it with user32's own
// EnableWindow, SetParent and PostMessageA; the window learns of each from
// its own messages:
//
// - disabled and re-enabled: WM_ENABLE, which EnableWindow sends whenever
//   the window's state changes;
// - the posted message: taken from the queue as the window procedure gets
//   it (a posted message, not one sent by the system);
// - re-parented: SetParent tells the new parent nothing (no
//   WM_PARENTNOTIFY, and Wine sends no EVENT_OBJECT_PARENTCHANGE either),
//   so the window looks for a child window of the program's process among
//   its own children: at every message it handles, and on a timer that
//   keeps it looking while nothing else arrives.  The progress dialog is
//   its child from its creation until the run's last message box has been
//   answered, which is many timer periods even for a run without assets.

#include "host.h"

#include <windows.h>

#include "process.h"

namespace bokctl {

namespace {

const wchar_t kClassName[] = L"BokctlHostWindow";
// How often the window looks for the program's child windows.
constexpr UINT kLookMs = 10;
constexpr UINT_PTR kLookTimer = 1;

struct HostWindow {
    HWND hwnd = nullptr;
    UINT message = 0;
    DWORD program = 0;  // process id once the program runs
    HostLog* log = nullptr;
};

HostWindow g_host;

BOOL CALLBACK FindProgramChild(HWND child, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(child, &process);
    if (process != g_host.program) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

void LookForProgramChild() {
    if (g_host.program == 0 || g_host.log->bReParented) return;
    bool found = false;
    EnumChildWindows(g_host.hwnd, FindProgramChild, reinterpret_cast<LPARAM>(&found));
    if (found) g_host.log->bReParented = true;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == g_host.hwnd) LookForProgramChild();
    // The program's notification: posted, so never in a send.  Messages the
    // system posts itself (paint, timers, input) are below WM_USER.
    if (hwnd == g_host.hwnd && !InSendMessage() && (message == g_host.message || message >= WM_USER)) {
        g_host.log->posts.push_back({message, static_cast<unsigned long long>(wParam), static_cast<long long>(lParam)});
        return 0;
    }
    switch (message) {
    case WM_ENABLE:
        if (wParam == FALSE) {
            g_host.log->bDisabled = true;
            g_host.log->bReEnabled = false;
        } else {
            g_host.log->bReEnabled = g_host.log->bDisabled;
        }
        return 0;
    case WM_TIMER:
        return 0;
    case WM_CLOSE:
        // The accounting product stays open while its linkage program runs.
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool RunWithHost(const RunOptions& options, HostLog& log, std::string* message) {
    if (options.bWindowGiven) {
        *message = "run: --window names the Linux host's socket; on Windows the host is a window of its own";
        return false;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0) {
        *message = "cannot register the host window's class: error " + std::to_string(GetLastError());
        return false;
    }
    g_host = HostWindow{};
    g_host.message = static_cast<UINT>(options.message);
    g_host.log = &log;
    g_host.hwnd = CreateWindowExW(0, kClassName, L"bokctl run: host window", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                  nullptr, nullptr, instance, nullptr);
    if (g_host.hwnd == nullptr) {
        *message = "cannot create the host window: error " + std::to_string(GetLastError());
        return false;
    }
    ShowWindow(g_host.hwnd, SW_SHOWNORMAL);
    UpdateWindow(g_host.hwnd);
    SetTimer(g_host.hwnd, kLookTimer, kLookMs, nullptr);

    // The handle as the accounting product writes it: its value in decimal.
    const std::string commandLine = std::to_string(reinterpret_cast<uintptr_t>(g_host.hwnd)) + "," +
                                    std::to_string(options.message) + "," + std::to_string(options.function) + "," +
                                    options.field4;
    const bool ran = RunAndWait(options.program, options.bHostArgs ? &commandLine : nullptr, message,
                                [](unsigned long process) { g_host.program = static_cast<DWORD>(process); });
    KillTimer(g_host.hwnd, kLookTimer);
    DestroyWindow(g_host.hwnd);
    UnregisterClassW(kClassName, instance);
    g_host = HostWindow{};
    return ran;
}

}  // namespace bokctl
