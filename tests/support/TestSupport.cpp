#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "compat/drives.h"
#include "compat/mbcs.h"
#include "tests/TestEnvironment.h"

namespace testsupport {

// The folders are named in UTF-8 and made through std::filesystem, so that
// the same helpers serve the Windows build under Wine.
TempFolder::TempFolder(std::string_view name) {
    m_strPath = test_env::MakeTempFolder((std::string(name) + "-").c_str());
    if (m_strPath.empty()) ADD_FAILURE() << "no temporary folder for " << name;
}

TempFolder::~TempFolder() { test_env::RemoveTree(m_strPath); }

std::string TempFolder::MakeDir(const std::string& relative) const {
    std::error_code ignored;
    std::filesystem::create_directories(test_env::FromUtf8(File(relative)), ignored);
    return File(relative);
}

void TempFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
    std::ofstream out(test_env::FromUtf8(File(relative)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::ReadFile(const std::string& relative) const {
    std::ifstream in(test_env::FromUtf8(File(relative)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::Exists(const std::string& relative) const {
    return std::filesystem::exists(test_env::FromUtf8(File(relative)));
}

bool TempFolder::IsDir(const std::string& relative) const {
    return std::filesystem::is_directory(test_env::FromUtf8(File(relative)));
}

// An empty BOK_HOME is how the platform's readers take an unset one, and
// the only way to unset it that both runtimes have.
ScopedPlatformHome::ScopedPlatformHome(std::string_view name) : TempFolder(name) {
    const char* old = getenv("BOK_HOME");
    m_bHadHome = old != nullptr && *old != '\0';
    if (m_bHadHome) m_strOldHome = old;
    // Without a folder, a home that does not exist rather than the user's.
    test_env::SetVariable("BOK_HOME", Ok() ? Path() : std::string("/nonexistent"));
    compat::ReloadDriveTable();
}

ScopedPlatformHome::~ScopedPlatformHome() {
    test_env::SetVariable("BOK_HOME", m_bHadHome ? m_strOldHome : std::string());
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
