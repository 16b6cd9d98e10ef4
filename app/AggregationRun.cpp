// The second half of InitInstance: the conditions dialog, then, with the
// progress dialog on screen, extraction, the schedule, the report file, the
// outcome message and the remembered path.

#include <memory>

#include "app/LinkApp.h"
#include "compat/win32.h"
#include "deprec/ClGenkashokyakuProc.h"
#include "edition/Edition.h"
#include "report/ClReportWriter.h"
#include "ui/ConditionsDlg.h"
#include "ui/Frontend.h"
#include "ui/ProgressDlg.h"

namespace {

const char kFailed[] = "XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。";
const char kDone[] = "減価償却の集計結果を正常に出力しました。";

// Where no front end was installed (a test driving the object directly)
// the progress dialog draws nothing.
std::unique_ptr<IProgressView> CreateProgressView(HWND parent) {
    Frontend* frontend = GetFrontend();
    return frontend ? frontend->CreateProgressView(parent) : nullptr;
}

}  // namespace

BOOL CLinkApp::RunAggregation(StDATAINFO* dataInfo) {
    CConditionsDlg conditions(m_pHostWnd, dataInfo, m_strHostPath.empty() ? nullptr : m_strHostPath.c_str());
    if (conditions.DoModal() == IDCANCEL) {
        m_nResult = LINK_RESULT_NOT_PERFORMED;
        return FALSE;
    }

    // Made without an owner, then given to the host window, so that it
    // stays with the host while the host is disabled.
    std::unique_ptr<IProgressView> view = CreateProgressView(nullptr);
    if (view && m_pHostWnd) SetParent(view->Handle(), m_pHostWnd);
    CProgressDlg progress(view.get());
    BeginWaitCursor();
    progress.InitBars();

    BOOL result;
    {
        ClGenkashokyakuProc proc;
        if (proc.Extract(m_listAssets, dataInfo, conditions.GetCategory()) == 0) m_nResult = LINK_RESULT_FAILED;
        if (m_nResult == LINK_RESULT_DONE) {
            progress.Advance(0, 200);
            if (proc.MakeSchedule(m_listAssets, m_listOutput, dataInfo) == 0) m_nResult = LINK_RESULT_FAILED;
        }
        if (m_nResult == LINK_RESULT_DONE) progress.Advance(200, 400);

        ClReportWriter writer;
        writer.SetProgressDlg(&progress);
        writer.SetAssetList(&m_listOutput);
        writer.SetProgressBase(400);
        if (m_nResult == LINK_RESULT_DONE &&
            writer.WriteReport(conditions.GetOutputPath().c_str(), m_nFunctionId, dataInfo) == 0)
            m_nResult = LINK_RESULT_FAILED;

        HWND owner = view ? view->Handle() : nullptr;
        if (m_nResult != LINK_RESULT_DONE) {
            MessageBoxA(owner, kFailed, kAppTitle, MB_OK | MB_ICONWARNING);
        } else {
            progress.Advance(700, 1000);
            MessageBoxA(owner, kDone, kAppTitle, MB_OK | MB_ICONINFORMATION);
            // A host that named no path still lets the user choose one, but
            // the remembered path stays the one the user last chose alone.
            conditions.SaveRememberedPath(conditions.GetCategory(),
                                          m_bFromHost == 0 ? conditions.GetOutputPath().c_str() : nullptr, 0, 0);
        }

        progress.EndDialog(IDOK);
        RestoreWaitCursor();
        result = CWinApp::InitInstance();
    }
    EndWaitCursor();
    return result;
}
