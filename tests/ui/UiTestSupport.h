// What the dialog tests share: a temporary platform home with a drive table
// of its own, and a scripted front end that records the message boxes and
// answers the questions and the save-file dialog from a script.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compat/drives.h"
#include "platform/BokAdmin.h"
#include "ui/Frontend.h"

// A fresh folder named by BOK_HOME while the object lives.  Drives of the
// table lie in folders below it.
class UiTestHome {
public:
    UiTestHome() {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/deprlink-ui-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) m_strHome = pattern;
        setenv("BOK_HOME", m_strHome.c_str(), 1);
        compat::ReloadDriveTable();
    }
    ~UiTestHome() {
        unsetenv("BOK_HOME");
        compat::ReloadDriveTable();
        std::error_code ignored;
        if (!m_strHome.empty()) std::filesystem::remove_all(m_strHome, ignored);
    }
    UiTestHome(const UiTestHome&) = delete;
    UiTestHome& operator=(const UiTestHome&) = delete;

    const std::string& Home() const { return m_strHome; }
    std::string Host(const std::string& relative) const { return m_strHome + "/" + relative; }

    // The drive table, one "root type folder [flags]" a line (UTF-8);
    // every folder named is created below the home.
    void SetDrives(const std::vector<std::string>& lines, const std::vector<std::string>& folders) {
        std::ofstream out(Host("drives.conf"), std::ios::binary);
        for (const std::string& line : lines) out << line << "\n";
        out.close();
        for (const std::string& folder : folders) MakeDir(folder);
        compat::ReloadDriveTable();
    }

    void MakeDir(const std::string& relative) const { std::filesystem::create_directories(Host(relative)); }
    void WriteBytes(const std::string& relative, const std::string& bytes) const {
        std::ofstream out(Host(relative), std::ios::binary);
        out << bytes;
    }
    std::string ReadBytes(const std::string& relative) const {
        std::ifstream in(Host(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool IsDir(const std::string& relative) const { return std::filesystem::is_directory(Host(relative)); }
    bool Exists(const std::string& relative) const { return std::filesystem::exists(Host(relative)); }

private:
    std::string m_strHome;
};

// A home with the platform's store: drive C: on drive_c, the application
// folders given, and a signed-in user.
class UiPlatformHome : public UiTestHome {
public:
    UiPlatformHome() {
        SetDrives({"C: fixed drive_c"}, {"drive_c"});
        bok::ResetForTests();
        m_bReady = bok::CreateStore(Home(), &m_error);
    }
    ~UiPlatformHome() { bok::ResetForTests(); }

    bool IsReady() const { return m_bReady; }
    // Text in the platform's readable import format (UTF-8).
    bool Import(std::u8string_view text) {
        bok::ResetForTests();
        return bok::ImportText(Home(), std::string(text.begin(), text.end()), &m_error);
    }
    std::string Error() const {
        return "line " + std::to_string(m_error.line) + " " + m_error.field + ": " + m_error.message;
    }

private:
    bok::AdminError m_error;
    bool m_bReady = false;
};

struct StShownMessage {
    HWND hOwner;
    std::string strText;     // cp932
    std::string strCaption;  // cp932
    UINT nType;
};

struct StBrowseCall {
    std::string strTitle, strFilter, strDefaultExt, strInitialDir, strInitialName;
};

// Installed while it lives; MessageBoxA reaches it through SetFrontend.
class ScriptedFrontend : public Frontend {
public:
    ScriptedFrontend() { SetFrontend(this); }
    ~ScriptedFrontend() override { SetFrontend(nullptr); }

    // Answers of the yes/no questions, in order; a question with none left
    // fails the test and is answered No.
    std::deque<int> answers;
    // The save-file dialog's answer; none means the user cancelled it.
    std::optional<std::string> browseAnswer;
    // What RunConditions does with the dialog; its answer is returned.
    std::function<int(CConditionsDlg&, HWND)> runConditions;

    std::vector<StShownMessage> messages;
    std::vector<StBrowseCall> browseCalls;
    int runCount = 0;

    int RunConditions(CConditionsDlg& dialog, HWND parent) override {
        ++runCount;
        return runConditions ? runConditions(dialog, parent) : IDCANCEL;
    }
    std::unique_ptr<IProgressView> CreateProgressView(HWND) override { return nullptr; }
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
        messages.push_back({owner, text ? text : "", caption ? caption : "", type});
        if ((type & 0x0F) != MB_YESNO) return IDOK;
        if (answers.empty()) {
            ADD_FAILURE() << "an unexpected question";
            return IDNO;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool BrowseSaveFile(const std::string& title, const std::string& filter, const std::string& defaultExt,
                        const std::string& initialDir, const std::string& initialName, std::string& chosen) override {
        browseCalls.push_back({title, filter, defaultExt, initialDir, initialName});
        if (!browseAnswer) return false;
        chosen = *browseAnswer;
        return true;
    }
};
