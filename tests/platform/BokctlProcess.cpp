#include "BokctlProcess.h"

#include <sys/wait.h>

#include <cstdio>

namespace {

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

Outcome RunBokctl(const std::string& home, const std::vector<std::string>& args) {
    std::string command = Quote(BOKCTL_PATH) + " --home " + Quote(home);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, read);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}
