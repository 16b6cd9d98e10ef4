// Starts bokctl as a separate process, as people and scripts do, and
// collects what it says.  BokctlProcess.cpp starts it through a POSIX
// shell, BokctlProcess_win32.cpp with CreateProcessW.
#pragma once

#include <string>
#include <vector>

struct Outcome {
    std::string output;  // stdout and stderr together
    int exitCode = -1;
};

// bokctl --home home args... (UTF-8 words).
Outcome RunBokctl(const std::string& home, const std::vector<std::string>& args);

// A command bokctl refuses, and what its message says.
struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    const char* says;
};

// Runs the command in home: it exits 2 with "bokctl: " and the reason on
// stderr (BokctlTest.cpp).
void ExpectRefusal(const std::string& home, const ErrorCase& refused);
