// bokctl's system calls on Windows.  Paths are UTF-8, as everywhere in
// bokctl, and cross to Windows as UTF-16.

#include "process.h"

#include <windows.h>

#include <vector>

namespace bokctl {

namespace {

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Utf8(const wchar_t* wide, size_t length) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::string Absolute(const std::string& path) {
    const std::wstring wide = Wide(path);
    wchar_t full[32768];
    const DWORD n = GetFullPathNameW(wide.c_str(), sizeof full / sizeof full[0], full, nullptr);
    if (n == 0 || n >= sizeof full / sizeof full[0]) return path;
    return Utf8(full, n);
}

std::string SelfFolder() {
    wchar_t self[32768];
    const DWORD n = GetModuleFileNameW(nullptr, self, sizeof self / sizeof self[0]);
    if (n == 0 || n >= sizeof self / sizeof self[0]) return ".";
    const std::string path = Utf8(self, n);
    return path.substr(0, path.find_last_of("\\/"));
}

void SetEnvironment(const char* name, const std::string& value) {
    SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
}

long ProcessNumber() { return static_cast<long>(GetCurrentProcessId()); }

std::string ProgramFile(const std::string& name) { return name + ".exe"; }

bool Runnable(const std::string& program, std::string* message) {
    const DWORD attributes = GetFileAttributesW(Wide(program).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return true;
    *message =
        "cannot run " + program + ": " +
        (attributes == INVALID_FILE_ATTRIBUTES ? "error " + std::to_string(GetLastError()) : std::string("a folder"));
    return false;
}

bool RunAndWait(const std::string& program, const std::string* argument, std::string* message,
                const std::function<void(unsigned long)>& started) {
    // The command line is the quoted program name and the argument as it
    // is, as the accounting product starts the linkage programs.
    std::wstring line = L"\"" + Wide(program) + L"\"";
    if (argument != nullptr) line += L" " + Wide(*argument);
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(Wide(program).c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        *message = "cannot start " + program + ": error " + std::to_string(GetLastError());
        return false;
    }
    if (started) started(process.dwProcessId);
    // The host window lives on this thread: its messages are served until
    // the program has ended, and then those it left in the queue.
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (woken != WAIT_OBJECT_0 + 1) break;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace bokctl
