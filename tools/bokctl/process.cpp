// bokctl's system calls on POSIX.

#include "process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace bokctl {

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return path;
    return std::string(cwd) + "/" + path;
}

std::string SelfFolder() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return ".";
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/'));
}

void SetEnvironment(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

long ProcessNumber() { return static_cast<long>(getpid()); }

std::string ProgramFile(const std::string& name) { return name; }

bool Runnable(const std::string& program, std::string* message) {
    if (access(program.c_str(), X_OK) == 0) return true;
    *message = "cannot run " + program + ": " + std::strerror(errno);
    return false;
}

bool RunAndWait(const std::string& program, const std::string* argument, std::string* message,
                const std::function<void(unsigned long)>& started) {
    if (access(program.c_str(), X_OK) != 0) {
        *message = "cannot run " + program + ": " + std::strerror(errno);
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    if (argument != nullptr) argv.push_back(const_cast<char*>(argument->c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (spawned != 0) {
        *message = "cannot start " + program + ": " + std::strerror(spawned);
        return false;
    }
    if (started) started(static_cast<unsigned long>(child));
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (WIFSIGNALED(status)) std::fprintf(stderr, "bokctl: %s ended by signal %d\n", program.c_str(), WTERMSIG(status));
    return true;
}

}  // namespace bokctl
