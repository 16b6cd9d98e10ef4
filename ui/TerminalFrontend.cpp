// The front end where there is no display: the dialogs as questions on a
// terminal (or a pipe), answered line by line.
//
// The conditions dialog is the same CConditionsDlg as in the windows,
// driven over a ClConditionsViewState, so every check and message is the
// windows' own.  Texts are cp932 inside; the terminal reads and writes
// UTF-8.  The end of the input answers as Esc (and No) would, so that a
// script that runs out of answers never starts anything.
//
// The keys of the dialog work as keys too: Esc (a lone ESC byte) and F12
// (ESC [ 2 4 ~) end the line they are pressed in, or stand alone, each
// followed by Enter as the terminal hands input over by lines; the words
// "Esc" and "F12" mean the same for scripts.

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

// The keys a line may carry besides its text.
enum class EKey { None, Esc, F12, Unknown };

constexpr char kEsc = '\x1b';
const char kF12Sequence[] = "\x1b[24~";

// An answer: the text typed and the key that ended it.
struct StAnswer {
    std::string strText;  // trimmed, cp932
    EKey eKey = EKey::None;
};

// Splits a line as the terminal gave it into its text and key.  F12 may
// close the line; a lone Esc anywhere cancels; any other key's sequence is
// a key the dialog does not know.  Without a key, the words Esc and F12
// count as the keys.
StAnswer ParseAnswer(const std::string& line) {
    StAnswer answer;
    const size_t esc = line.find(kEsc);
    if (esc == std::string::npos) {
        answer.strText = Trim(line);
        if (IsAnswer(answer.strText, "Esc"))
            answer.eKey = EKey::Esc;
        else if (IsAnswer(answer.strText, "F12"))
            answer.eKey = EKey::F12;
        if (answer.eKey != EKey::None) answer.strText.clear();
        return answer;
    }
    answer.strText = Trim(line.substr(0, esc));
    const std::string keys = Trim(line.substr(esc));
    if (keys == kF12Sequence)
        answer.eKey = EKey::F12;
    else if (keys.size() == 1 || (keys[1] != '[' && keys[1] != 'O'))
        answer.eKey = EKey::Esc;
    else
        answer.eKey = EKey::Unknown;
    return answer;
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
    enum class EAnswer { Value, Keep, Run, Cancel };

    // Writes cp932 text as UTF-8.
    void Print(const std::string& sjis);
    // One line of input, split into its text and key; nullopt at the end
    // of the input.  A line that is no cp932 text, or that carries a key
    // the dialogs do not know, is refused and asked again.
    std::optional<StAnswer> ReadAnswer(const std::string& prompt);

    void ShowConditions(ClConditionsViewState& view);
    // Checks the category's radio when answer names an enabled one.
    bool ChooseCategory(ClConditionsViewState& view, const std::string& answer);
    std::string CategoryChoices(ClConditionsViewState& view);
    EAnswer AskCategory(ClConditionsViewState& view);
    EAnswer AskPath(CConditionsDlg& dialog, ClConditionsViewState& view);
    EAnswer AskRun(ClConditionsViewState& view);

    FILE* m_pIn;
    FILE* m_pOut;
    bool m_bEchoAnswers;
};

void ClTerminalFrontend::Print(const std::string& sjis) {
    const std::string utf8 = compat::SjisToUtf8(sjis);
    std::fwrite(utf8.data(), 1, utf8.size(), m_pOut);
    std::fflush(m_pOut);
}

std::optional<StAnswer> ClTerminalFrontend::ReadAnswer(const std::string& prompt) {
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
            // A key's bytes would move the cursor of whoever reads this.
            std::string shown = line;
            for (size_t at; (at = shown.find(kF12Sequence)) != std::string::npos;) shown.replace(at, 5, "<F12>");
            for (size_t at; (at = shown.find(kEsc)) != std::string::npos;) shown.replace(at, 1, "<Esc>");
            std::fwrite(shown.data(), 1, shown.size(), m_pOut);
            std::fputc('\n', m_pOut);
        }
        StAnswer answer = ParseAnswer(line);
        if (answer.eKey == EKey::Unknown) {
            Print("このキーは使えません。\n");
            continue;
        }
        bool ok = true;
        answer.strText = compat::Utf8ToSjis(answer.strText, &ok);
        if (ok) return answer;
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

std::string ClTerminalFrontend::CategoryChoices(ClConditionsViewState& view) {
    std::string choices;
    for (int i = 0; i < 3; ++i) {
        if (!view.IsControlEnabled(g_CategoryRadios[i])) continue;
        if (!choices.empty()) choices += "/";
        choices += static_cast<char>('1' + i);
    }
    return choices;
}

bool ClTerminalFrontend::ChooseCategory(ClConditionsViewState& view, const std::string& answer) {
    if (answer.size() != 1 || answer[0] < '1' || answer[0] > '3') return false;
    const int chosen = g_CategoryRadios[answer[0] - '1'];
    if (!view.IsControlEnabled(chosen)) return false;
    // Auto radio buttons: checking one clears the others.
    for (int id : g_CategoryRadios) view.SetCheck(id, id == chosen);
    view.SetFocusTo(chosen);
    return true;
}

ClTerminalFrontend::EAnswer ClTerminalFrontend::AskCategory(ClConditionsViewState& view) {
    const std::string choices = CategoryChoices(view);
    for (;;) {
        const auto answer =
            ReadAnswer("事業区分を選んでください [" + choices + "] (Enter: そのまま, Esc: キャンセル): ");
        if (!answer || answer->eKey == EKey::Esc) return EAnswer::Cancel;
        if (answer->strText.empty()) return answer->eKey == EKey::F12 ? EAnswer::Run : EAnswer::Keep;
        if (ChooseCategory(view, answer->strText)) return answer->eKey == EKey::F12 ? EAnswer::Run : EAnswer::Value;
        Print("選べる事業区分は " + choices + " です。\n");
    }
}

ClTerminalFrontend::EAnswer ClTerminalFrontend::AskPath(CConditionsDlg& dialog, ClConditionsViewState& view) {
    for (;;) {
        const auto answer = ReadAnswer("出力先を入力してください [" + view.GetControlText(IDC_EDT_OUTPUT) +
                                       "] (Enter: そのまま, 参照: ファイルを指定, Esc: キャンセル): ");
        if (!answer || answer->eKey == EKey::Esc) return EAnswer::Cancel;
        view.SetFocusTo(IDC_EDT_OUTPUT);
        const std::string& text = answer->strText;
        if (text.empty()) return answer->eKey == EKey::F12 ? EAnswer::Run : EAnswer::Keep;
        if (text == "参照" && answer->eKey == EKey::None) {
            dialog.OnBrowse();
            continue;
        }
        // The edit control takes no more than its limit; a longer path
        // is not cut to something the user never typed.
        const int limit = view.Control(IDC_EDT_OUTPUT).nTextLimit;
        if (limit > 0 && text.size() > static_cast<size_t>(limit)) {
            Print("出力先が長すぎます。" + std::to_string(limit) + " バイトまでで入力してください。\n");
            continue;
        }
        view.SetControlText(IDC_EDT_OUTPUT, text);
        return answer->eKey == EKey::F12 ? EAnswer::Run : EAnswer::Value;
    }
}

ClTerminalFrontend::EAnswer ClTerminalFrontend::AskRun(ClConditionsViewState& view) {
    const std::string choices = CategoryChoices(view);
    for (;;) {
        const auto answer = ReadAnswer("F12: 実行, " + choices + ": 事業区分, Esc: キャンセル: ");
        if (!answer || answer->eKey == EKey::Esc) return EAnswer::Cancel;
        if (answer->eKey == EKey::F12 && answer->strText.empty()) return EAnswer::Run;
        if (answer->eKey == EKey::None && ChooseCategory(view, answer->strText)) continue;
        Print("F12 で実行、Esc でキャンセルします。事業区分は " + choices + " で選べます。\n");
    }
}

int ClTerminalFrontend::RunConditions(CConditionsDlg& dialog, HWND) {
    ClConditionsViewState view;
    dialog.Attach(&view);
    dialog.OnInitDialog();
    if (!view.Ended()) {
        ShowConditions(view);
        EAnswer step = AskCategory(view);
        // A refused path leaves the dialog open with the focus on the path:
        // it is asked again, and the category may still be changed before
        // the next F12.
        while (!view.Ended()) {
            if (step != EAnswer::Cancel && step != EAnswer::Run && view.IsControlEnabled(IDC_EDT_OUTPUT))
                step = AskPath(dialog, view);
            if (step != EAnswer::Cancel && step != EAnswer::Run) step = AskRun(view);
            if (step == EAnswer::Cancel) {
                dialog.OnCancel();
                break;
            }
            dialog.PreTranslateMessage(StKeyDown{view.Focus(), VK_F12, false, false, false});
            step = EAnswer::Value;
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
    // A question has no cancel: it waits for yes or no.
    for (;;) {
        const auto answer = ReadAnswer("(y/n): ");
        if (!answer) return IDNO;
        if (answer->eKey == EKey::None && IsAnswer(answer->strText, "y")) return IDYES;
        if (answer->eKey == EKey::None && IsAnswer(answer->strText, "n")) return IDNO;
    }
}

bool ClTerminalFrontend::BrowseSaveFile(const std::string& title, const std::string&, const std::string& defaultExt,
                                        const std::string& initialDir, const std::string& initialName,
                                        std::string& chosen) {
    Print("\n[" + title + "]\n");
    for (;;) {
        const auto answer =
            ReadAnswer("ファイル名 [" + initialDir + initialName + "] (Enter: そのまま, Esc: キャンセル): ");
        if (!answer || answer->eKey == EKey::Esc) return false;
        if (answer->eKey != EKey::None) continue;
        // Enter takes the name shown, as the save dialog's 保存 does.
        std::string path = answer->strText.empty() ? initialName : answer->strText;
        // A pattern filters the list in the save dialog; it names no file.
        if (path.empty() || path.find_first_of("*?") != std::string::npos) {
            Print("ファイル名を入力してください。\n");
            continue;
        }
        // A bare name lies in the folder the dialog opened in.
        if (FolderPart(path).empty() && DrivePart(path).empty()) path = initialDir + path;
        // As the save-file dialog does, a name without extension gets the
        // default one.
        if (!defaultExt.empty() && FileNamePart(path).find('.') == std::string::npos) path += "." + defaultExt;
        chosen = path;
        return true;
    }
}

}  // namespace

std::unique_ptr<Frontend> MakeTerminalFrontend(FILE* in, FILE* out) {
    return std::make_unique<ClTerminalFrontend>(in, out);
}
