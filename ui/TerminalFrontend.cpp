// The front end where there is no display: the dialogs as questions on a
// terminal (or a pipe), answered line by line.
//
// The conditions dialog is the same CConditionsDlg as in the windows,
// driven over a ClConditionsViewState, so every check and message is the
// windows' own.  Texts are cp932 inside; the terminal reads and writes
// UTF-8.  The end of the input answers as Esc (and No) would, so that a
// script that runs out of answers never starts anything.

#include <unistd.h>

#include <cstring>
#include <optional>

#include "compat/mbcs.h"
#include "ui/ConditionsDlg.h"
#include "ui/ConditionsViewState.h"
#include "ui/DialogResources.h"
#include "ui/Frontend.h"
#include "ui/OutputPath.h"
#include "ui/TerminalProgress.h"

namespace {

const int g_CategoryRadios[] = {IDC_RAD_GENERAL, IDC_RAD_REALESTATE, IDC_RAD_BOTH};

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool IsAnswer(const std::string& answer, const char* word) {
    if (answer.size() != std::strlen(word)) return false;
    for (size_t i = 0; i < answer.size(); ++i) {
        char c = answer[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        char w = word[i];
        if (w >= 'a' && w <= 'z') w = static_cast<char>(w - 'a' + 'A');
        if (c != w) return false;
    }
    return true;
}

class ClTerminalFrontend : public Frontend {
public:
    // Answers that come from a file or a pipe are not echoed by a terminal;
    // they are written after their prompt, so the output reads as a session.
    ClTerminalFrontend(FILE* in, FILE* out)
        : m_pIn(in), m_pOut(out), m_bEchoAnswers(in != nullptr && !isatty(fileno(in))) {}

    int RunConditions(CConditionsDlg& dialog, HWND parent) override;
    std::unique_ptr<IProgressView> CreateProgressView(HWND parent) override;
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
    bool BrowseSaveFile(const std::string& title, const std::string& filter, const std::string& defaultExt,
                        const std::string& initialDir, const std::string& initialName, std::string& chosen) override;

private:
    enum class EAnswer { Value, Keep, Cancel };

    // Writes cp932 text as UTF-8.
    void Print(const std::string& sjis);
    // One line of input, trimmed and in cp932; nullopt at the end of the
    // input.  A line that is no cp932 text is refused and asked again.
    std::optional<std::string> ReadAnswer(const std::string& prompt);

    void ShowConditions(ClConditionsViewState& view);
    EAnswer AskCategory(ClConditionsViewState& view);
    EAnswer AskPath(CConditionsDlg& dialog, ClConditionsViewState& view);

    FILE* m_pIn;
    FILE* m_pOut;
    bool m_bEchoAnswers;
};

void ClTerminalFrontend::Print(const std::string& sjis) {
    const std::string utf8 = compat::SjisToUtf8(sjis);
    std::fwrite(utf8.data(), 1, utf8.size(), m_pOut);
    std::fflush(m_pOut);
}

std::optional<std::string> ClTerminalFrontend::ReadAnswer(const std::string& prompt) {
    for (;;) {
        Print(prompt);
        std::string line;
        bool any = false;
        for (int c; (c = std::fgetc(m_pIn)) != EOF;) {
            any = true;
            if (c == '\n') break;
            line += static_cast<char>(c);
        }
        if (!any) {
            Print("\n");
            return std::nullopt;
        }
        if (m_bEchoAnswers) {
            std::fwrite(line.data(), 1, line.size(), m_pOut);
            std::fputc('\n', m_pOut);
        }
        bool ok = true;
        std::string sjis = compat::Utf8ToSjis(Trim(line), &ok);
        if (ok) return sjis;
        Print("入力された文字の中に使用できないものがあります。\n");
    }
}

void ClTerminalFrontend::ShowConditions(ClConditionsViewState& view) {
    auto label = [&](int caption, int colon, int value) {
        Print("  " + view.GetControlText(caption) + view.GetControlText(colon) + view.GetControlText(value) + "\n");
    };
    Print(std::string("\n") + g_dlgConditions.pszCaption + "\n");
    label(IDC_LBL_NAME_CAPTION, IDC_LBL_NAME_COLON, IDC_LBL_NAME);
    label(IDC_LBL_PERIOD_CAPTION, IDC_LBL_PERIOD_COLON, IDC_LBL_PERIOD);
    label(IDC_LBL_GENKA_CAPTION, IDC_LBL_GENKA_COLON, IDC_LBL_GENKA);
    Print("  " + ClConditionsViewState::WithoutAccessKey(view.GetControlText(IDC_GRP_CATEGORY)) + "\n");
    for (int i = 0; i < 3; ++i) {
        const int id = g_CategoryRadios[i];
        const char* mark = !view.IsControlEnabled(id) ? "-" : view.GetCheck(id) ? "*" : " ";
        char line[16];
        std::snprintf(line, sizeof line, "    %d (%s) ", i + 1, mark);
        Print(line + ClConditionsViewState::WithoutAccessKey(view.GetControlText(id)) + "\n");
    }
    Print("  " + ClConditionsViewState::WithoutAccessKey(view.GetControlText(IDC_GRP_OUTPUT)) + "：" +
          view.GetControlText(IDC_EDT_OUTPUT) + "\n");
}

ClTerminalFrontend::EAnswer ClTerminalFrontend::AskCategory(ClConditionsViewState& view) {
    std::string choices;
    for (int i = 0; i < 3; ++i) {
        if (!view.IsControlEnabled(g_CategoryRadios[i])) continue;
        if (!choices.empty()) choices += "/";
        choices += static_cast<char>('1' + i);
    }
    for (;;) {
        const auto answer = ReadAnswer("事業区分を選んでください [" + choices + "] (Enter: そのまま, Esc: キャンセル): ");
        if (!answer || IsAnswer(*answer, "Esc")) return EAnswer::Cancel;
        if (answer->empty()) return EAnswer::Keep;
        if (answer->size() == 1 && (*answer)[0] >= '1' && (*answer)[0] <= '3') {
            const int chosen = g_CategoryRadios[(*answer)[0] - '1'];
            if (view.IsControlEnabled(chosen)) {
                // Auto radio buttons: checking one clears the others.
                for (int id : g_CategoryRadios) view.SetCheck(id, id == chosen);
                view.SetFocusTo(chosen);
                return EAnswer::Value;
            }
        }
        Print("選べる事業区分は " + choices + " です。\n");
    }
}

ClTerminalFrontend::EAnswer ClTerminalFrontend::AskPath(CConditionsDlg& dialog, ClConditionsViewState& view) {
    for (;;) {
        const auto answer = ReadAnswer("出力先を入力してください [" + view.GetControlText(IDC_EDT_OUTPUT) +
                                       "] (Enter: そのまま, 参照: ファイルを指定, Esc: キャンセル): ");
        if (!answer || IsAnswer(*answer, "Esc")) return EAnswer::Cancel;
        view.SetFocusTo(IDC_EDT_OUTPUT);
        if (answer->empty()) return EAnswer::Keep;
        if (*answer == "参照") {
            dialog.OnBrowse();
            continue;
        }
        // The edit control takes no more than its limit.
        std::string text = *answer;
        const int limit = view.Control(IDC_EDT_OUTPUT).nTextLimit;
        if (limit > 0 && text.size() > static_cast<size_t>(limit)) {
            char cut[1024] = {};
            _mbsnbcpy(reinterpret_cast<unsigned char*>(cut), reinterpret_cast<const unsigned char*>(text.c_str()),
                      static_cast<size_t>(limit) < sizeof cut ? static_cast<size_t>(limit) : sizeof cut - 1);
            text = cut;
        }
        view.SetControlText(IDC_EDT_OUTPUT, text);
        return EAnswer::Value;
    }
}

int ClTerminalFrontend::RunConditions(CConditionsDlg& dialog, HWND) {
    ClConditionsViewState view;
    dialog.Attach(&view);
    dialog.OnInitDialog();
    if (!view.Ended()) {
        ShowConditions(view);
        bool categoryAsked = false;
        while (!view.Ended()) {
            if (!categoryAsked) {
                if (AskCategory(view) == EAnswer::Cancel) {
                    dialog.OnCancel();
                    break;
                }
                categoryAsked = true;
            }
            if (view.IsControlEnabled(IDC_EDT_OUTPUT) && AskPath(dialog, view) == EAnswer::Cancel) {
                dialog.OnCancel();
                break;
            }
            const auto answer = ReadAnswer("F12: 実行, Esc: キャンセル: ");
            if (!answer || IsAnswer(*answer, "Esc")) {
                dialog.OnCancel();
                break;
            }
            if (IsAnswer(*answer, "F12")) dialog.PreTranslateMessage(StKeyDown{view.Focus(), VK_F12, false, false, false});
            // A refused path leaves the dialog open: ask for it again.
        }
    }
    dialog.Attach(nullptr);
    return view.Result() == IDOK ? IDOK : IDCANCEL;
}

std::unique_ptr<IProgressView> ClTerminalFrontend::CreateProgressView(HWND) {
    return std::make_unique<ClTerminalProgress>(m_pOut);
}

int ClTerminalFrontend::MessageBox(HWND, const char* text, const char* caption, UINT type) {
    Print(std::string("\n[") + (caption ? caption : "") + "]\n" + (text ? text : "") + "\n");
    if ((type & 0x0F) != MB_YESNO) return IDOK;
    for (;;) {
        const auto answer = ReadAnswer("(y/n): ");
        if (!answer) return IDNO;
        if (IsAnswer(*answer, "y")) return IDYES;
        if (IsAnswer(*answer, "n")) return IDNO;
    }
}

bool ClTerminalFrontend::BrowseSaveFile(const std::string& title, const std::string&, const std::string& defaultExt,
                                        const std::string& initialDir, const std::string& initialName,
                                        std::string& chosen) {
    Print("\n[" + title + "]\n");
    const auto answer = ReadAnswer("ファイル名 [" + initialDir + initialName + "] (Enter: キャンセル): ");
    if (!answer || answer->empty()) return false;
    std::string path = *answer;
    // A bare name lies in the folder the dialog opened in.
    if (FolderPart(path).empty() && DrivePart(path).empty()) path = initialDir + path;
    // As the save-file dialog does, a name without extension gets the
    // default one.
    if (!defaultExt.empty() && FileNamePart(path).find('.') == std::string::npos) path += "." + defaultExt;
    chosen = path;
    return true;
}

}  // namespace

std::unique_ptr<Frontend> MakeTerminalFrontend(FILE* in, FILE* out) {
    return std::make_unique<ClTerminalFrontend>(in, out);
}
