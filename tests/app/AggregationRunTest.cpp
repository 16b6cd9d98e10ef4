// The aggregation run inside InitInstance: the conditions answered on a
// scripted terminal, the progress and the outcome recorded.

#include <gtest/gtest.h>
#include <stdio.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/LinkApp.h"
#include "compat/mbcs.h"
#include "compat/winapp.h"
#include "platform/BokAdmin.h"
#include "report/ClReportWriter.h"
#include "ui/Frontend.h"

namespace {

struct ProgressState {
    bool created = false;
    std::string caption = U8(u8"集計中");
    int mainPos = -1;
    int mainUpper = -1;
};

class RecordingProgress : public IProgressView {
public:
    explicit RecordingProgress(ProgressState* state) : m_pState(state) { m_pState->created = true; }
    void SetCaption(const char* caption) override { m_pState->caption = compat::SjisToUtf8(caption); }
    void SetMainBar(int, int upper, int pos) override {
        m_pState->mainUpper = upper;
        m_pState->mainPos = pos;
    }
    void SetSubBar(int, int, int) override {}
    void BringToTop() override {}
    void Repaint() override {}

private:
    ProgressState* m_pState;
};

// The terminal's dialog, a recording progress window and recorded
// message boxes.
class ScriptedFrontend : public Frontend {
public:
    explicit ScriptedFrontend(const std::string& answers)
        : m_answers(answers),
          m_pIn(fmemopen(m_answers.data(), m_answers.size(), "r")),
          m_pOut(tmpfile()),
          m_terminal(MakeTerminalFrontend(m_pIn, m_pOut)) {
        SetFrontend(this);
    }
    ~ScriptedFrontend() override {
        SetFrontend(nullptr);
        if (getenv("SHOW_TERMINAL")) {
            rewind(m_pOut);
            for (int c; (c = fgetc(m_pOut)) != EOF;) fputc(c, stderr);
        }
        fclose(m_pIn);
        fclose(m_pOut);
    }

    int RunConditions(CConditionsDlg& dialog, HWND parent) override {
        return m_terminal->RunConditions(dialog, parent);
    }
    std::unique_ptr<IProgressView> CreateProgressView(HWND) override {
        return std::make_unique<RecordingProgress>(&progress);
    }
    int MessageBox(HWND, const char* text, const char*, UINT) override {
        messages.push_back(compat::SjisToUtf8(text));
        return IDYES;
    }
    bool BrowseSaveFile(const std::string&, const std::string&, const std::string&, const std::string&,
                        const std::string&, std::string&) override {
        return false;
    }

    ProgressState progress;
    std::vector<std::string> messages;

private:
    std::string m_answers;
    FILE* m_pIn;
    FILE* m_pOut;
    std::unique_ptr<Frontend> m_terminal;
};

const std::string kData =
    U8(u8R"([data]
id = D0001
number = 1
name = 山田商事
period = 20240101 20241231
[asset]
name = 机
acquired = 20200401
cost = 100000
method = 1
expenses = 1000
[asset]
name = 椅子
acquired = 20240601
cost = 50000
method = 7
expenses = 100
[asset]
name = 棚
acquired = 20220401
cost = 30000
method = 2
expenses = 100
)");

// Closes, then reports the failure a network share or a quota can give.
class CloseFailingFile : public CFile {
public:
    void Close() override {
        CFile::Close();
        throw CFileException(CFileException::diskFull, ENOSPC, "closing.xml");
    }
};

std::unique_ptr<CFile> NewCloseFailingFile() { return std::make_unique<CloseFailingFile>(); }

const std::string kFailed = U8(u8"XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。");
const std::string kDone = U8(u8"減価償却の集計結果を正常に出力しました。");

struct RunCase {
    const char* what;
    const char* cmdLine;
    const char* answers;
    const char* faultOp;
    long faultAt;
    int result;
    bool progressShown;
    int mainPos;
    const char8_t* caption;
    std::vector<std::string> messages;
    size_t outputLines;
    bool closeFails = false;  // the report file refuses its close
};

std::vector<RunCase> RunCases() {
    return {
        {"success", "", "3\nC:\\out.xml\nF12\n", nullptr, 0, 0, true, 1000, u8"集計中 100％", {kDone}, 3},
        {"cancel",
         "",
         "3\nC:\\out.xml\nEsc\n",
         nullptr,
         0,
         1,
         false,
         -1,
         u8"集計中",
         {U8(u8"｢所得税(減価償却)｣の集計を中止します。")},
         0},
        {"extraction fails", "", "3\nC:\\out.xml\nF12\n", "Move", 1, 2, true, 0, u8"集計中", {kFailed}, 0},
        {"schedule made, writing fails",
         "1,2,3,Z:\\dev\\full",
         "\nF12\n",
         nullptr,
         0,
         2,
         true,
         400,
         u8"集計中 40％",
         {kFailed},
         3},
        {"report written, its close fails",
         "",
         "3\nC:\\closing.xml\nF12\n",
         nullptr,
         0,
         2,
         true,
         700,
         u8"集計中 70％",
         {kFailed},
         3,
         true},
    };
}

TEST(AggregationRun, ProgressOutcomeAndResultOfEachEnding) {
    for (const RunCase& c : RunCases()) {
        TempHome home(BaseImport(kData));
        if (c.faultOp) {
            bok::AdminError error;
            ASSERT_TRUE(bok::SetFault(home.Path(), c.faultOp, -9, c.faultAt, &error)) << error.message;
        }
        ScriptedFrontend frontend(c.answers);
        ClReportWriter::SetFileFactory(c.closeFails ? NewCloseFailingFile : nullptr);
        CLinkApp app;
        app.m_lpCmdLine = c.cmdLine;
        const BOOL ran = app.InitInstance();
        ClReportWriter::SetFileFactory(nullptr);
        // Only a cancelled dialog makes InitInstance answer FALSE.
        EXPECT_EQ(ran, c.result == 1 ? FALSE : TRUE) << c.what;
        EXPECT_EQ(app.m_nResult, c.result) << c.what;
        EXPECT_EQ(frontend.progress.created, c.progressShown) << c.what;
        EXPECT_EQ(frontend.progress.mainPos, c.mainPos) << c.what;
        EXPECT_EQ(frontend.progress.caption, U8(c.caption)) << c.what;
        EXPECT_EQ(frontend.messages, c.messages) << c.what;
        // The lists stay with the application until ExitInstance frees them.
        EXPECT_EQ(app.m_listOutput.size(), c.outputLines) << c.what;
        app.ExitInstance();
        EXPECT_TRUE(app.m_listAssets.empty() && app.m_listOutput.empty()) << c.what;
        EXPECT_EQ(std::filesystem::exists(home.File("drive_c/out.xml")), c.result == 0) << c.what;
    }
}

}  // namespace
