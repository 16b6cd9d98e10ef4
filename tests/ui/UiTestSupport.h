// What the dialog tests share besides tests/support: a drive table of the
// test's own, a platform home with a store, and a scripted front end that
// records the message boxes and answers the questions and the save-file
// dialog from a script.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/BokAdmin.h"
#include "tests/support/PlatformStore.h"
#include "ui/Frontend.h"

// Writes the drive table, one "root type folder [flags]" a line (UTF-8),
// and creates every folder named below the home.
inline void SetDrives(const testsupport::ScopedPlatformHome& home, const std::vector<std::string>& lines,
                      const std::vector<std::string>& folders) {
    std::string table;
    for (const std::string& line : lines) table += line + "\n";
    for (const std::string& folder : folders) home.MakeDir(folder);
    home.WriteDrives(table);
}

// A home with the platform's store: drive C: on drive_c, and what the
// test imports.
class UiPlatformHome : public testsupport::ScopedPlatformStore {
public:
    UiPlatformHome() : ScopedPlatformStore("deprlink-ui") { SetDrives(*this, {"C: fixed drive_c"}, {"drive_c"}); }

    // Imported between platform calls: the next call opens the store afresh.
    bool Import(std::u8string_view text) {
        bok::ResetForTests();
        return ScopedPlatformStore::Import(text);
    }
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
