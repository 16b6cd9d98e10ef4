// The terminal front end driven through pipes: a script of answers in,
// UTF-8 text out, the same dialog behaviour underneath.

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "UiTestSupport.h"
#include "ui/ConditionsDlg.h"
#include "ui/Frontend.h"
#include "ui/ProgressDlg.h"

namespace {

using testsupport::U8;

// A front end reading script from one pipe (or, with onTerminal, from a
// pseudo-terminal, as keys typed at a terminal arrive) and writing to
// another pipe, installed while it lives.
class TerminalRun {
public:
    explicit TerminalRun(const std::string& script, bool onTerminal = false) {
        int in[2], out[2];
        if (pipe(out) != 0) return;
        if (onTerminal) {
            // The terminal side does not echo, so that only the program
            // writes to the output; the script's bytes are typed at once
            // and the line discipline hands them over line by line.
            if (openpty(&m_nMaster, &in[0], nullptr, nullptr, nullptr) != 0) return;
            termios mode;
            tcgetattr(in[0], &mode);
            mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(in[0], TCSANOW, &mode);
            if (write(m_nMaster, script.data(), script.size()) != static_cast<ssize_t>(script.size())) ADD_FAILURE();
            // The end of the input, as Ctrl+D at the start of a line gives.
            const char eof = static_cast<char>(mode.c_cc[VEOF]);
            if (write(m_nMaster, &eof, 1) != 1) ADD_FAILURE();
        } else {
            if (pipe(in) != 0) return;
            // The script fits the pipe's buffer, so it is written whole
            // before anything reads it.
            if (write(in[1], script.data(), script.size()) != static_cast<ssize_t>(script.size())) ADD_FAILURE();
            close(in[1]);
        }
        m_pIn = fdopen(in[0], "r");
        m_pOut = fdopen(out[1], "w");
        m_nOutRead = out[0];
        m_pFrontend = MakeTerminalFrontend(m_pIn, m_pOut);
        SetFrontend(m_pFrontend.get());
    }
    ~TerminalRun() {
        SetFrontend(nullptr);
        if (m_pIn) std::fclose(m_pIn);
        if (m_pOut) std::fclose(m_pOut);
        if (m_nOutRead >= 0) close(m_nOutRead);
        if (m_nMaster >= 0) close(m_nMaster);
    }

    Frontend& Front() { return *m_pFrontend; }

    // Everything written so far; the writing end is closed first.
    std::string Output() {
        std::fclose(m_pOut);
        m_pOut = nullptr;
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = read(m_nOutRead, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(got));
        return text;
    }

private:
    FILE* m_pIn = nullptr;
    FILE* m_pOut = nullptr;
    int m_nOutRead = -1;
    int m_nMaster = -1;
    std::unique_ptr<Frontend> m_pFrontend;
};

class TerminalFrontendTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.IsReady()) << home.Error();
        ASSERT_TRUE(
            home.Import(u8R"(
[folder]
type = 0
path = C:\BOK\DATA\
[folder]
type = 1
path = C:\BOK\ENV\
[user]
id = tanaka
selected = 5
)")) << home.Error();
        home.MakeDir("drive_c/out");
        std::memset(&info, 0, sizeof info);
        std::snprintf(info.szJigyoName, sizeof info.szJigyoName, "%s", "山田商店");
        info.nKikanFrom = 20240101;
        info.nKikanTo = 20241231;
        info.nJigyoKubun = 3;
    }

    UiPlatformHome home;
    StDATAINFO info;
};

struct StScriptCase {
    const char* pszTitle;
    bool bOnTerminal;  // typed at a terminal, not piped
    int nKind;         // business kind of the data
    const char* pszHostPath;
    std::string strScript;  // UTF-8
    int nResult;
    short nCategory;
    std::string strPath;               // cp932, when the run went ahead
    std::vector<std::string> seen;     // UTF-8 the output must hold
    std::vector<std::string> notSeen;  // UTF-8 it must not
};

class TerminalScriptTest : public TerminalFrontendTest, public ::testing::WithParamInterface<StScriptCase> {};

TEST_P(TerminalScriptTest, AnswersTheDialogFromTheScript) {
    const StScriptCase& c = GetParam();
    info.nJigyoKubun = static_cast<uint8_t>(c.nKind);
    TerminalRun run(c.strScript, c.bOnTerminal);
    CConditionsDlg dialog(nullptr, &info, c.pszHostPath);
    EXPECT_EQ(dialog.DoModal(), c.nResult);
    if (c.nResult == IDOK) {
        EXPECT_EQ(dialog.GetCategory(), c.nCategory);
        EXPECT_EQ(dialog.GetOutputPath(), c.strPath);
    }
    const std::string output = run.Output();
    for (const std::string& text : c.seen) EXPECT_NE(output.find(text), std::string::npos) << text << "\n" << output;
    for (const std::string& text : c.notSeen) EXPECT_EQ(output.find(text), std::string::npos) << text << "\n" << output;
}

const std::string kCancelled = U8(u8"｢所得税(減価償却)｣の集計を中止します。");
const std::string kPathPrompt = U8(u8"出力先を入力してください");
const std::string kRunHint = U8(u8"F12 で実行、Esc でキャンセルします。");
const std::string kLongPath = "C:\\out\\" + std::string(240, 'a') + "\\report_2024_final.xml";  // 267 bytes

INSTANTIATE_TEST_SUITE_P(
    Scripts, TerminalScriptTest,
    ::testing::Values(
        StScriptCase{
            "category, path, F12",
            false,
            3,
            nullptr,
            "2\nC:\\out\\r.xml\nF12\n",
            IDOK,
            2,
            "C:\\out\\r.xml",
            {U8(u8"所得税(減価償却) - 集計条件"), U8(u8"事業所名：山田商店"), U8(u8"会計期間：2024/01/01～2024/12/31"),
             U8(u8"製造原価：なし"), U8(u8"事業区分\n"), U8(u8"1 (*) 一般用のみ出力\n"),
             U8(u8"2 ( ) 不動産用のみ出力\n"), U8(u8"3 ( ) 一般用／不動産用ともに出力\n"),
             U8(u8"出力先：C:\\BOK\\DATA\\*.xml\n"), U8(u8"[1/2/3]")},
            {kCancelled}},
        StScriptCase{"Esc", false, 3, nullptr, "\n\nEsc\n", IDCANCEL, 0, "", {kCancelled}, {}},
        StScriptCase{"the end of the input", false, 3, nullptr, "", IDCANCEL, 0, "", {kCancelled}, {}},
        StScriptCase{"the end of the input at the run question",
                     false,
                     3,
                     nullptr,
                     "1\nC:\\out\\r.xml\n",
                     IDCANCEL,
                     0,
                     "",
                     {kCancelled},
                     {}},
        StScriptCase{"a refused path asked again",
                     false,
                     3,
                     nullptr,
                     "1\nC:\\out\\*.xml\nF12\nC:\\out\\r.xml\nf12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {U8(u8"データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。")},
                     {}},
        StScriptCase{"a new folder, yes",
                     false,
                     3,
                     nullptr,
                     "3\nC:\\new\\r.xml\nF12\ny\n",
                     IDOK,
                     3,
                     "C:\\new\\r.xml",
                     {U8(u8"指定されたフォルダは存在しません。\n\n作成してもよろしいですか？\n(y/n): ")},
                     {}},
        StScriptCase{"a new folder, the input ends",
                     false,
                     3,
                     nullptr,
                     "3\nC:\\new\\r.xml\nF12\n",
                     IDCANCEL,
                     0,
                     "",
                     {kCancelled},
                     {}},
        StScriptCase{"a host path is not asked for",
                     false,
                     3,
                     "C:\\out\\host.xml",
                     "\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\host.xml",
                     {U8(u8"出力先：C:\\out\\host.xml")},
                     {kPathPrompt}},
        StScriptCase{"only the enabled category",
                     false,
                     1,
                     nullptr,
                     "2\n1\n\nF12\nC:\\out\\r.xml\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {U8(u8"選べる事業区分は 1 です。"), U8(u8"2 (-) 不動産用のみ出力")},
                     {}},
        StScriptCase{"the save-file prompt",
                     false,
                     3,
                     nullptr,
                     U8(u8"\n参照\nchosen\n\nF12\ny\n"),
                     IDOK,
                     1,
                     "C:\\BOK\\DATA\\chosen.XML",
                     {U8(u8"[保存ファイルを指定]")},
                     {}},
        StScriptCase{"text that is no cp932",
                     false,
                     3,
                     nullptr,
                     "\nC:\\out\\\xf0\x9f\x98\x80.xml\nC:\\out\\r.xml\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {U8(u8"入力された文字の中に使用できないものがあります。")},
                     {}},
        StScriptCase{"Japanese in the path",
                     false,
                     3,
                     nullptr,
                     "\nC:\\out\\\xe8\xa1\xa8.xml\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\表.xml",
                     {},
                     {}},
        // Keys pressed at a terminal.
        StScriptCase{"the Esc key", true, 3, nullptr, "\x1b\n", IDCANCEL, 0, "", {kCancelled}, {kPathPrompt}},
        StScriptCase{
            "the Esc key in the path", true, 3, nullptr, "2\nC:\\out\\r\x1b\n", IDCANCEL, 0, "", {kCancelled}, {}},
        StScriptCase{"the F12 key",
                     true,
                     3,
                     nullptr,
                     "2\nC:\\out\\r.xml\n\x1b[24~\n",
                     IDOK,
                     2,
                     "C:\\out\\r.xml",
                     {},
                     {kCancelled}},
        StScriptCase{"F12 closing the path",
                     true,
                     3,
                     nullptr,
                     "\nC:\\out\\r.xml\x1b[24~\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {},
                     {U8(u8"F12: 実行")}},
        StScriptCase{"F12 on the category",
                     true,
                     1,
                     nullptr,
                     "\x1b[24~\nC:\\out\\r.xml\n\x1b[24~\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {U8(u8"データの出力先に不正な文字が含まれています。")},
                     {}},
        StScriptCase{"a key the dialog does not know",
                     true,
                     3,
                     nullptr,
                     "\x1b[A\n\nC:\\out\\r.xml\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {U8(u8"このキーは使えません。")},
                     {}},
        StScriptCase{"Shift+F12 is no F12",
                     true,
                     3,
                     nullptr,
                     "\nC:\\out\\r.xml\n\x1b[24;2~\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {U8(u8"このキーは使えません。")},
                     {}},
        // The run question takes only its own answers.
        StScriptCase{"another answer to the run question",
                     false,
                     3,
                     nullptr,
                     "\nC:\\out\\r.xml\nC:\\out\\x.xml\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {kRunHint},
                     {}},
        StScriptCase{"the category changed after a refused path",
                     false,
                     3,
                     nullptr,
                     "1\nC:\\out\\*.xml\nF12\nC:\\out\\r.xml\n3\nF12\n",
                     IDOK,
                     3,
                     "C:\\out\\r.xml",
                     {},
                     {}},
        StScriptCase{"a disabled category at the run question",
                     false,
                     1,
                     nullptr,
                     "\nC:\\out\\r.xml\n3\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {kRunHint},
                     {}},
        StScriptCase{"a path longer than the edit takes",
                     false,
                     3,
                     nullptr,
                     "\n" + kLongPath + "\nC:\\out\\r.xml\nF12\n",
                     IDOK,
                     1,
                     "C:\\out\\r.xml",
                     {U8(u8"出力先が長すぎます。255 バイトまでで入力してください。")},
                     {"report_2024_final.x]"}}),
    [](const ::testing::TestParamInfo<StScriptCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(TerminalFrontendTest, PastResultsDataAsksNothing) {
    info.nDataKind = 99;
    TerminalRun run("1\nC:\\out\\r.xml\nF12\n");
    CConditionsDlg dialog(nullptr, &info, nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    const std::string output = run.Output();
    EXPECT_NE(output.find(U8(u8"過去実績データは、連携の対象として使用できません。")), std::string::npos);
    EXPECT_EQ(output.find(U8(u8"事業区分を選んでください")), std::string::npos);
}

TEST_F(TerminalFrontendTest, MessagesArePrintedAndQuestionsReadYesOrNo) {
    struct {
        std::string strScript;
        UINT nType;
        int nAnswer;
    } const cases[] = {
        {"", MB_ICONINFORMATION, IDOK},  {"y\n", MB_YESNO | MB_ICONQUESTION, IDYES}, {"N\n", MB_YESNO, IDNO},
        {"maybe\nY\n", MB_YESNO, IDYES}, {"", MB_YESNO | MB_ICONQUESTION, IDNO},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strScript);
        TerminalRun run(c.strScript);
        EXPECT_EQ(MessageBoxA(nullptr, "本文", "題名", c.nType), c.nAnswer);
        EXPECT_NE(run.Output().find(U8(u8"[題名]\n本文\n")), std::string::npos);
    }
}

TEST_F(TerminalFrontendTest, TheSaveFilePromptTakesTheNameShownOnEnter) {
    const struct {
        const char* pszScript;
        const char* pszName;
        bool bChosen;
        const char* pszChosen;
        bool bAskedAgain;
    } cases[] = {
        {"\n", "r.xml", true, "C:\\out\\r.xml", false},
        {"other\n", "r.xml", true, "C:\\out\\other.XML", false},
        {"\x1b\n", "r.xml", false, "", false},
        {"", "r.xml", false, "", false},
        // A pattern names no file: Enter asks again.
        {"\nnew\n", "*.xml", true, "C:\\out\\new.XML", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszScript);
        TerminalRun run(c.pszScript, true);
        std::string chosen;
        EXPECT_EQ(run.Front().BrowseSaveFile("保存ファイルを指定", "", "XML", "C:\\out\\", c.pszName, chosen),
                  c.bChosen);
        if (c.bChosen) {
            EXPECT_EQ(chosen, c.pszChosen);
        }
        const std::string output = run.Output();
        EXPECT_NE(output.find(U8(u8"(Enter: そのまま, Esc: キャンセル)")), std::string::npos) << output;
        EXPECT_EQ(output.find(U8(u8"ファイル名を入力してください。")) != std::string::npos, c.bAskedAgain) << output;
    }
}

TEST_F(TerminalFrontendTest, TheProgressStaysQuietOnAPipe) {
    TerminalRun run("");
    std::unique_ptr<IProgressView> view = run.Front().CreateProgressView(nullptr);
    ASSERT_NE(view, nullptr);
    CProgressDlg progress(view.get());
    progress.InitBars();
    progress.Advance(0, 1000);
    view.reset();
    EXPECT_EQ(run.Output(), "");
}

}  // namespace
