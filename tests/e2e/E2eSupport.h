// What the whole-run tests share: starting a program with its standard
// input and output on pipes, reading files back, and asking xmllint about a
// report.
#pragma once

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A program started in a process group of its own (so that it can be
// stopped with every process it starts), with its standard input kept open
// until the test has given all of it.
class Process {
public:
    explicit Process(const std::vector<std::string>& args) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            setpgid(0, 0);
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(out[1], 2);
            close(in[0]);
            close(in[1]);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        setpgid(m_pid, m_pid);
        close(in[0]);
        close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~Process() {
        if (m_pid > 0 && m_status < 0) {
            kill(-m_pid, SIGKILL);
            Finish();
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return m_pid > 0; }
    void Give(const std::string& input) {
        if (!input.empty() && write(m_in, input.data(), input.size()) < 0) {}
    }
    void EndInput() {
        if (m_in >= 0) close(m_in);
        m_in = -1;
    }
    void Signal(int signal) { kill(-m_pid, signal); }

    // Reads output until it holds part; false at the end of the output, or
    // when nothing comes for timeoutMs.
    bool WaitForOutput(const std::string& part, int timeoutMs = 30000) {
        while (!Contains(m_output, part)) {
            struct pollfd ready = {m_out, POLLIN, 0};
            if (m_out < 0 || poll(&ready, 1, timeoutMs) != 1 || !ReadSome()) return false;
        }
        return true;
    }

    // The exit status, once the output has ended.
    int Finish() {
        EndInput();
        while (ReadSome()) {}
        if (m_out >= 0) close(m_out);
        m_out = -1;
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_status;
    }
    const std::string& Output() const { return m_output; }

private:
    bool ReadSome() {
        if (m_out < 0) return false;
        char buffer[4096];
        const ssize_t n = read(m_out, buffer, sizeof buffer);
        if (n <= 0) return false;
        m_output.append(buffer, static_cast<size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    int m_status = -1;
    std::string m_output;
};

struct RunResult {
    int status = -1;     // exit status
    std::string output;  // standard output and error, UTF-8
};

// Runs argv with input on its standard input, to its end.
inline RunResult RunCommand(const std::vector<std::string>& args, const std::string& input) {
    Process process(args);
    if (!process.Started()) return {};
    process.Give(input);
    RunResult result;
    result.status = process.Finish();
    result.output = process.Output();
    return result;
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The report parses as XML once its declaration names the code page the
// strict Shift_JIS table of libxml2 lacks.
inline bool XmllintAccepts(const fs::path& report) {
    const std::string command =
        "sed 's/encoding=\"Shift_JIS\"/encoding=\"CP932\"/' '" + report.string() + "' | xmllint --noout - 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

}  // namespace e2e
