#include "ui/ConditionsDlg.h"

#include <cstdio>
#include <cstring>

#include "compat/file.h"
#include "compat/mbcs.h"
#include "edition/Edition.h"
#include "platform/BokFileMgr.h"
#include "ui/Frontend.h"
#include "ui/OutputPath.h"

namespace {

const char kMsgPastResults[] = "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。";
const char kMsgNoPath[] = "データ出力先が指定されていません。\n\n出力先を指定してください。";
const char kMsgPathTooLong[] = "出力先のパスが長すぎます。\n\n出力先を再入力してください。";
const char kMsgInvalidChars[] = "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
const char kMsgBadDrive[] = "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
const char kMsgNoFileName[] = "ファイル名が指定されていません。";
const char kMsgCreateFolder[] = "指定されたフォルダは存在しません。\n\n作成してもよろしいですか？";
const char kMsgCreateFailed[] = "フォルダの作成に失敗しました。\n\n出力先を再入力してください。";
const char kMsgOverwrite[] = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";
const char kFmtCancel[] = "｢%s｣の集計を中止します。";

const char kBrowseTitle[] = "保存ファイルを指定";
const char kBrowseFilter[] = "Xml Files (*.xml)|*.xml||";
const char kBrowseDefaultExt[] = "XML";

const char kPattern[] = "*.xml";

constexpr int kBusinessNameBytes = 256;
constexpr int kEditLimit = 255;

// Bytes no Windows file name may hold.  The edit control lets none of them
// be typed, but a host path or a chosen name could carry them, and a line
// feed would split the remembered-path file's entry in two.
bool HasControlBytes(const std::string& path) {
    for (unsigned char c : path)
        if (c < 0x20) return true;
    return false;
}

// The categories the business kind allows are enabled; the one checked is
// the kind's own unless the remembered one is another that is enabled.
void ShowCategories(IConditionsView& view, int businessKind, short remembered) {
    short defaultCategory = 1;
    switch (businessKind) {
    case 1:
        view.EnableControl(IDC_RAD_GENERAL, true);
        view.EnableControl(IDC_RAD_REALESTATE, false);
        view.EnableControl(IDC_RAD_BOTH, false);
        break;
    case 2:
        view.EnableControl(IDC_RAD_GENERAL, false);
        view.EnableControl(IDC_RAD_REALESTATE, true);
        view.EnableControl(IDC_RAD_BOTH, false);
        defaultCategory = 2;
        break;
    default:
        view.EnableControl(IDC_RAD_GENERAL, true);
        view.EnableControl(IDC_RAD_REALESTATE, true);
        view.EnableControl(IDC_RAD_BOTH, true);
        break;
    }
    int checked = defaultCategory == 2 ? IDC_RAD_REALESTATE : IDC_RAD_GENERAL;
    if (remembered != defaultCategory) {
        const int rememberedRadio = remembered == 1   ? IDC_RAD_GENERAL
                                    : remembered == 2 ? IDC_RAD_REALESTATE
                                    : remembered == 3 ? IDC_RAD_BOTH
                                                      : 0;
        if (rememberedRadio != 0 && view.IsControlEnabled(rememberedRadio)) checked = rememberedRadio;
    }
    for (int id : {IDC_RAD_GENERAL, IDC_RAD_REALESTATE, IDC_RAD_BOTH}) view.SetCheck(id, id == checked);
}

// Where a run without a host path or a remembered one writes: the data
// folder, else the temporary folder, with the pattern for a name.
std::string DefaultOutputPath() {
    char folder[kOutputPathBufferSize] = {};
    ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::APPFOLDER_DATA, folder);
    folder[sizeof folder - 1] = '\0';
    if (folder[0] == '\0') {
        // A buffer too small is left untouched: no temporary folder then.
        GetTempPathA(sizeof folder, folder);
        folder[sizeof folder - 1] = '\0';
        if (folder[0] != '\0' && std::strlen(folder) < MAX_PATH) AppendBackslash(folder, sizeof folder);
    }
    // A folder too long for the pattern is shown whole; OnOK refuses the
    // text as too long rather than write to a cut name.
    return std::string(folder) + kPattern;
}

// The refusal of an output path for its text alone, or null.
const char* RefusalOfPathText(const std::string& path) {
    if (path.empty()) return kMsgNoPath;
    if (path.size() > MAX_PATH) return kMsgPathTooLong;
    if (path.find('\0') != std::string::npos || HasControlBytes(path) || HasInvalidChars(path.c_str()))
        return kMsgInvalidChars;
    if (!IsDriveUsable(path.c_str())) return kMsgBadDrive;
    if (FileNamePart(path).empty()) return kMsgNoFileName;
    return nullptr;
}

}  // namespace

CConditionsDlg::CConditionsDlg(HWND parent, StDATAINFO* dataInfo, const char* hostPath)
    : m_strOutputPath(), m_pDataInfo(dataInfo), m_nCategory(0), m_hParent(parent) {
    std::memset(m_szHostPath, 0, sizeof m_szHostPath);
    std::memset(m_szRememberedPath, 0, sizeof m_szRememberedPath);
    // A host path that does not fit is cut on a character boundary; OnOK
    // then checks what is left like any other path.
    if (hostPath != nullptr)
        _mbsnbcpy(reinterpret_cast<unsigned char*>(m_szHostPath), reinterpret_cast<const unsigned char*>(hostPath),
                  sizeof m_szHostPath - 1);
}

int CConditionsDlg::DoModal() {
    Frontend* frontend = GetFrontend();
    // Without anything to show the dialog on, the run must not go ahead.
    if (frontend == nullptr) return IDCANCEL;
    m_nResult = frontend->RunConditions(*this, m_hParent);
    return m_nResult;
}

void CConditionsDlg::EndDialog(int result) {
    m_nResult = result;
    if (m_pView) m_pView->EndDialog(result);
}

void CConditionsDlg::DoDataExchange(bool saveAndValidate) {
    if (!m_pView) return;
    if (saveAndValidate)
        m_strOutputPath = m_pView->GetControlText(IDC_EDT_OUTPUT);
    else
        m_pView->SetControlText(IDC_EDT_OUTPUT, m_strOutputPath);
}

BOOL CConditionsDlg::OnInitDialog() {
    DoDataExchange(false);

    const HWND owner = m_pView ? m_pView->Handle() : nullptr;
    if (m_pDataInfo == nullptr || m_pDataInfo->nDataKind == 99) {
        if (m_pDataInfo != nullptr) MessageBoxA(owner, kMsgPastResults, kAppTitle, MB_ICONWARNING);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    if (!m_pView) return FALSE;

    m_pView->SetTextLimit(IDC_EDT_OUTPUT, kEditLimit);

    short remembered = 0;
    LoadRememberedPath(&remembered, m_szRememberedPath);

    char name[kBusinessNameBytes] = {};
    _mbsnbcpy(reinterpret_cast<unsigned char*>(name), reinterpret_cast<const unsigned char*>(m_pDataInfo->szJigyoName),
              sizeof name - 1);
    m_pView->SetControlText(IDC_LBL_NAME, name);

    const long from = m_pDataInfo->nKikanFrom, to = m_pDataInfo->nKikanTo;
    char period[64];
    std::snprintf(period, sizeof period, "%04ld/%02ld/%02ld～%04ld/%02ld/%02ld", from / 10000, from % 10000 / 100,
                  from % 100, to / 10000, to % 10000 / 100, to % 100);
    m_pView->SetControlText(IDC_LBL_PERIOD, period);

    m_pView->SetControlText(IDC_LBL_GENKA, m_pDataInfo->nGenkaFlag != 0 ? "あり" : "なし");

    ShowCategories(*m_pView, m_pDataInfo->nJigyoKubun, remembered);

    if (m_szHostPath[0] != '\0') {
        m_pView->SetControlText(IDC_GRP_OUTPUT, "出力先");
        m_pView->EnableControl(IDC_EDT_OUTPUT, false);
        m_pView->EnableControl(IDC_BTN_BROWSE, false);
        m_strOutputPath = m_szHostPath;
    } else if (m_szRememberedPath[0] != '\0') {
        m_strOutputPath = m_szRememberedPath;
    } else {
        m_strOutputPath = DefaultOutputPath();
    }
    DoDataExchange(false);
    return TRUE;
}

BOOL CConditionsDlg::PreTranslateMessage(const StKeyDown& key) {
    if (key.bShift || key.bCtrl || key.bAlt) return FALSE;
    if (key.nVirtKey == VK_RETURN) {
        switch (key.nCtrlId) {
        case IDC_RAD_GENERAL:
        case IDC_RAD_REALESTATE:
        case IDC_RAD_BOTH:
        case IDC_EDT_OUTPUT:
            if (m_pView) m_pView->NextDlgCtl();
            return TRUE;
        default:
            return FALSE;
        }
    }
    if (key.nVirtKey == VK_F12) {
        OnOK();
        return TRUE;
    }
    return FALSE;
}

void CConditionsDlg::OnOK() {
    if (!m_pView) return;
    DoDataExchange(true);

    m_nCategory = 0;
    if (m_pView->GetCheck(IDC_RAD_GENERAL)) m_nCategory = 1;
    if (m_pView->GetCheck(IDC_RAD_REALESTATE)) m_nCategory = 2;
    if (m_pView->GetCheck(IDC_RAD_BOTH)) m_nCategory = 3;

    const HWND owner = m_pView->Handle();
    auto refuse = [this](const char* message) {
        if (message) MessageBoxA(m_pView->Handle(), message, kAppTitle, MB_ICONWARNING);
        m_pView->SetFocusTo(IDC_EDT_OUTPUT);
        m_pView->SelectAllAndScroll(IDC_EDT_OUTPUT);
    };

    const std::string& path = m_strOutputPath;
    if (const char* refusal = RefusalOfPathText(path)) return refuse(refusal);

    const std::string folder = FolderPart(path);
    if (!folder.empty() && _access(folder.c_str(), 0) != 0) {
        if (MessageBoxA(owner, kMsgCreateFolder, kAppTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return refuse(nullptr);
        if (!EnsureFolder(folder.c_str())) return refuse(kMsgCreateFailed);
    }

    if (m_szHostPath[0] == '\0') {
        CFileStatus status;
        if (CFile::GetStatus(path.c_str(), status)) {
            if (status.m_attribute & CFile::directory) return refuse(kMsgNoFileName);
            if (MessageBoxA(owner, kMsgOverwrite, kAppTitle, MB_YESNO | MB_ICONQUESTION) != IDYES)
                return refuse(nullptr);
        }
    }

    DoDataExchange(true);
    EndDialog(IDOK);
}

void CConditionsDlg::OnCancel() {
    char text[128];
    std::snprintf(text, sizeof text, kFmtCancel, kAppTitle);
    MessageBoxA(m_pView ? m_pView->Handle() : nullptr, text, kAppTitle, MB_ICONINFORMATION);
    EndDialog(IDCANCEL);
}

void CConditionsDlg::OnBrowse() {
    if (!m_pView) return;
    m_strOutputPath = m_pView->GetControlText(IDC_EDT_OUTPUT);

    std::string folder = FolderPart(m_strOutputPath);
    std::string name;
    if (!folder.empty()) {
        name = FileNamePart(m_strOutputPath);
    } else {
        folder = DrivePart(m_strOutputPath);
        name = AfterDrivePart(m_strOutputPath);
    }

    std::string chosen;
    Frontend* frontend = GetFrontend();
    if (frontend != nullptr &&
        frontend->BrowseSaveFile(kBrowseTitle, kBrowseFilter, kBrowseDefaultExt, folder, name, chosen)) {
        m_strOutputPath = chosen;
        m_pView->SetControlText(IDC_EDT_OUTPUT, m_strOutputPath);
    }
    m_pView->SetFocusTo(IDOK);
}
