#include "BokctlProcess.h"

#include <windows.h>

#include "tests/TestEnvironment.h"

namespace {

std::wstring Wide(const std::string& utf8) { return test_env::FromUtf8(utf8).wstring(); }

// One word of a command line as the C runtime's argument parser splits
// it: in double quotes, a quote escaped by a backslash, and the
// backslashes before a quote (or the closing one) doubled.
std::wstring Quote(const std::wstring& word) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// The build names bokctl.exe by its path on the build machine; a cross
// build on Linux gives a host path, which Wine's Z: drive reaches.
std::string ProgramPath() {
    std::string path = BOKCTL_PATH;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

}  // namespace

Outcome RunBokctl(const std::string& home, const std::vector<std::string>& args) {
    Outcome outcome;
    std::wstring command = Quote(Wide(ProgramPath())) + L" --home " + Quote(Wide(home));
    for (const std::string& arg : args) command += L" " + Quote(Wide(arg));

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return outcome;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
            outcome.output.append(buffer, read);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) outcome.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    // bokctl's standard streams are in text mode, so on Windows its lines
    // end in CR LF; the tests compare lines.
    std::string lines;
    for (size_t i = 0; i < outcome.output.size(); ++i)
        if (!(outcome.output[i] == '\r' && i + 1 < outcome.output.size() && outcome.output[i + 1] == '\n'))
            lines += outcome.output[i];
    outcome.output = lines;
    return outcome;
}
