// The application's platform home and a host window served over its
// socket; the message boxes are recorded with tests/support.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "compat/host.h"
#include "tests/support/PlatformStore.h"

using testsupport::MessageRecorder;
using testsupport::U8;

// The home (tests/support) with its drive table (C: on <home>/drive_c),
// the store filled from importText, and the program as C:\Prog\DeprLinkStd.exe,
// with a BortaDef.ini of the given text beside it (none when null).
class TempHome : public testsupport::ScopedPlatformStore {
public:
    explicit TempHome(const std::string& importText, const char* bortaDef = "[ProgramLevel]\r\nQZ14_G=1\r\n");
    ~TempHome();
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

// The sample import text the tests start from: one user "yamada" who has
// selected the data number given, eras, and the data sets given.
std::string BaseImport(const std::string& dataSections, int selected = 1);
