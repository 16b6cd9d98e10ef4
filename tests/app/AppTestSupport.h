// A platform home in a temporary folder, a host window served over its
// socket, and a recorder of the message boxes.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "compat/host.h"

class TempHome {
public:
    // Creates the home with its drive table (C: on <home>/drive_c), the
    // store filled from importText, and the program's folder C:\Prog with a
    // BortaDef.ini of the given text (none when null).
    explicit TempHome(const std::string& importText, const char* bortaDef = "[ProgramLevel]\r\nQZ14_G=1\r\n");
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Path() const { return m_path; }
    std::string HostPath(const std::string& relative) const { return m_path + "/" + relative; }
    void WriteFile(const std::string& relative, const std::string& bytes) const;
    std::string ReadFile(const std::string& relative) const;

private:
    std::string m_path;
};

// The host window: records each request line.
class FakeHost {
public:
    explicit FakeHost(long window);
    ~FakeHost();
    std::vector<std::string> Requests();
    long Window() const { return m_window; }

private:
    long m_window;
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    compat::HostWindowServer m_server;
};

struct ShownMessage {
    std::string text;     // UTF-8
    std::string caption;  // UTF-8
    unsigned type;
};

// Installs a message-box display that records and answers answer.
class MessageRecorder {
public:
    explicit MessageRecorder(int answer = 1);
    ~MessageRecorder();
    std::vector<ShownMessage> messages;
};

// Import texts and the platform's files are UTF-8; narrow literals are not.
inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// The sample import text the tests start from: one user "yamada" who has
// selected the data number given, eras, and the data sets given.
std::string BaseImport(const std::string& dataSections, int selected = 1);
