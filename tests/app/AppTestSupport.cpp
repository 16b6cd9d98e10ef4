#include "AppTestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "compat/drives.h"
#include "compat/mbcs.h"
#include "compat/msgbox.h"
#include "platform/BokAdmin.h"

namespace fs = std::filesystem;

TempHome::TempHome(const std::string& importText, const char* bortaDef) {
    char pattern[] = "/tmp/deprlink-app-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) throw std::runtime_error("mkdtemp");
    m_path = made;
    setenv("BOK_HOME", m_path.c_str(), 1);
    fs::create_directories(m_path + "/drive_c/Prog");
    WriteFile("drives.conf", "C:  fixed  drive_c\n");
    if (bortaDef) WriteFile("drive_c/Prog/BortaDef.ini", bortaDef);
    compat::ReloadDriveTable();
    compat::SetModuleFileNameOverride("C:\\Prog\\DeprLinkStd.exe");
    bok::ResetForTests();
    bok::AdminError error;
    if (!bok::CreateStore(m_path, &error) || !bok::ImportText(m_path, importText, &error))
        ADD_FAILURE() << "import failed at line " << error.line << " (" << error.field << "): " << error.message;
    bok::ResetForTests();
}

TempHome::~TempHome() {
    bok::ResetForTests();
    compat::SetModuleFileNameOverride("");
    std::error_code ec;
    fs::remove_all(m_path, ec);
    unsetenv("BOK_HOME");
    compat::ReloadDriveTable();
}

void TempHome::WriteFile(const std::string& relative, const std::string& bytes) const {
    std::ofstream out(HostPath(relative), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempHome::ReadFile(const std::string& relative) const {
    std::ifstream in(HostPath(relative), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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

MessageRecorder::MessageRecorder(int answer) {
    compat::SetMessageBoxHandler([this, answer](HWND, const char* text, const char* caption, UINT type) {
        messages.push_back({compat::SjisToUtf8(text), compat::SjisToUtf8(caption), type});
        return answer;
    });
}

MessageRecorder::~MessageRecorder() { compat::SetMessageBoxHandler(nullptr); }

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
selected = )") + std::to_string(selected) + "\n" + dataSections;
}
