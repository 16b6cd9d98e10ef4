#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "compat/drives.h"
#include "compat/mbcs.h"

namespace testsupport {

TempFolder::TempFolder(std::string_view name) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + std::string(name) + "-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr)
        m_strPath = pattern;
    else
        ADD_FAILURE() << "no temporary folder " << pattern;
}

TempFolder::~TempFolder() {
    if (m_strPath.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(m_strPath, ignored);
}

std::string TempFolder::MakeDir(const std::string& relative) const {
    std::error_code ignored;
    std::filesystem::create_directories(File(relative), ignored);
    return File(relative);
}

void TempFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
    std::ofstream out(File(relative), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::ReadFile(const std::string& relative) const {
    std::ifstream in(File(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::Exists(const std::string& relative) const { return std::filesystem::exists(File(relative)); }

bool TempFolder::IsDir(const std::string& relative) const { return std::filesystem::is_directory(File(relative)); }

ScopedPlatformHome::ScopedPlatformHome(std::string_view name) : TempFolder(name) {
    const char* old = getenv("BOK_HOME");
    m_bHadHome = old != nullptr;
    if (m_bHadHome) m_strOldHome = old;
    // Without a folder, a home that does not exist rather than the user's.
    setenv("BOK_HOME", Ok() ? Path().c_str() : "/nonexistent", 1);
    compat::ReloadDriveTable();
}

ScopedPlatformHome::~ScopedPlatformHome() {
    if (m_bHadHome)
        setenv("BOK_HOME", m_strOldHome.c_str(), 1);
    else
        unsetenv("BOK_HOME");
    compat::ReloadDriveTable();
}

void ScopedPlatformHome::WriteDrives(const std::string& table) const {
    WriteFile("drives.conf", table);
    compat::ReloadDriveTable();
}

std::string ShownMessage::TextU8() const { return compat::SjisToUtf8(text); }

std::string ShownMessage::CaptionU8() const { return compat::SjisToUtf8(caption); }

MessageRecorder::MessageRecorder(int answer) {
    m_previous =
        compat::SetMessageBoxHandler([this, answer](HWND owner, const char* text, const char* caption, UINT type) {
            messages.push_back({owner, text ? text : "", caption ? caption : "", type});
            return answer;
        });
}

MessageRecorder::~MessageRecorder() { compat::SetMessageBoxHandler(m_previous); }

}  // namespace testsupport
