#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include "compat/drives.h"
#include "platform/BokAdmin.h"

TempHome::TempHome(const std::string& importText, const char* bortaDef) : ScopedPlatformStore("deprlink-app") {
    MakeDir("drive_c/Prog");
    if (bortaDef) WriteFile("drive_c/Prog/BortaDef.ini", bortaDef);
    WriteDrives("C:  fixed  drive_c\n");
    compat::SetModuleFileNameOverride("C:\\Prog\\DeprLinkStd.exe");
    if (!IsReady() || !Import(importText)) ADD_FAILURE() << "import failed at " << Error();
    bok::ResetForTests();
}

TempHome::~TempHome() { compat::SetModuleFileNameOverride(""); }

FakeHost::FakeHost(long window)
    : m_window(window), m_server(window, [this](const std::string& request) {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_requests.push_back(request);
          return true;
      }) {
    if (!m_server.Start()) ADD_FAILURE() << "host socket could not be made";
}

FakeHost::~FakeHost() { m_server.Stop(); }

std::vector<std::string> FakeHost::Requests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::string BaseImport(const std::string& dataSections, int selected) {
    return U8(u8R"([era]
start = 19890108
name = 平成
[era]
start = 20190501
name = 令和
[user]
id = yamada
first = 1
selected = )") +
           std::to_string(selected) + "\n" + dataSections;
}
