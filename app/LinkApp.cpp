#include "app/LinkApp.h"

#include <cstdlib>
#include <cstring>

#include "compat/mbcs.h"
#include "compat/msgbox.h"
#include "compat/win32.h"
#include "edition/Edition.h"
#include "platform/BokCmn.h"
#include "platform/BokLink.h"

namespace {

// The environment check's refusals, searched in this order.
struct EnvMessage {
    int nLevel;
    const char* pszText;
};
const EnvMessage kEnvMessages[] = {
    {-1, "動作環境が不正です。\nES_APRPACKAGENAMEが正しくインストールされているか確認してください。"},
    {1,
     "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
     "ES_APRPACKAGENAMEの最新版を入手してインストールしてからご利用ください。"},
    {2,
     "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
     "連動コンポーネントの最新版を入手してインストールしてからご利用ください。"},
};

// A host that passes more than the parse buffer holds cannot be told apart
// from garbage; the run is refused rather than started on a cut path.
const char kCmdLineTooLong[] = "起動パラメータが長すぎます。\n\nアプリケーションを終了します。";

void FreeLists(SisanRecList& assets, SisanDataList& output) {
    for (StSISANREC* rec : assets) delete rec;
    assets.clear();
    for (StSISANDATA* line : output) delete line;
    output.clear();
}

// The program's folder (drive and directory of its own path), ended by a
// backslash where the path went on past it; empty when the path is unknown.
void ProgramFolder(char* folder, size_t size) {
    std::memset(folder, 0, size);
    GetModuleFileNameA(nullptr, folder, static_cast<DWORD>(size));
    if (folder[0] == '\0') return;
    const size_t fullLength = std::strlen(folder);
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(folder, drive, dir, fname, ext);
    char joined[MAX_PATH + 1];
    std::snprintf(joined, sizeof joined, "%s%s", drive, dir);
    const size_t length = std::strlen(joined);
    if (length > 0) {
        const bool lastIsDbcs = IsDbcsByte(joined, static_cast<int>(length - 1)) != 0;
        const bool endsInSeparator = joined[length - 1] == '\\' && !lastIsDbcs;
        if ((lastIsDbcs || (!endsInSeparator && length < fullLength)) && length + 1 < sizeof joined) {
            joined[length] = '\\';
            joined[length + 1] = '\0';
        }
    }
    std::snprintf(folder, size, "%s", joined);
}

// The level of kEnvMessages that the installed product's BortaDef.ini
// stands for: -1 without the file or its entry, 0 for a usable product.
int InstalledLevel(const char* iniPath) {
    if (PathFileExistsA(iniPath) != 1) return -1;
    char value[16];
    std::memset(value, 0, sizeof value);
    GetPrivateProfileStringA("ProgramLevel", "QZ14_G", "1", value, sizeof value, iniPath);
    if (value[0] == '\0') return -1;
    const int programLevel = std::atoi(value);
    return programLevel == 1 ? 0 : programLevel >= 2 ? 2 : 1;
}

// The framework's ActiveX container support; nothing to set up here.
void AfxEnableControlContainer() {}

}  // namespace

CLinkApp::CLinkApp() : CWinApp(nullptr) {}

CLinkApp::~CLinkApp() {
    // ExitInstance has freed the records on every path that ran; what is
    // left here belongs to an object that never ran.
    FreeLists(m_listAssets, m_listOutput);
}

BOOL CLinkApp::InitInstance() {
    // Nothing below is meant to throw; should something (memory) give out
    // all the same, the host must hear of a failure, not of success.
    try {
        return RunSteps();
    } catch (...) {
        m_nResult = LINK_RESULT_FAILED;
        return FALSE;
    }
}

BOOL CLinkApp::RunSteps() {
    AfxEnableControlContainer();

    ClBokConnect* connect = ClBokConnect::Inst();
    connect->m_pszAppTitle = kAppTitle;
    connect->SetAppType(static_cast<ClSysEnvMgr::_AppType>(CurrentEdition().nAppType));
    connect->SetUseDataType(2);
    if (connect->Initiate() != 0) return FALSE;

    const char* cmdLine = m_lpCmdLine ? m_lpCmdLine : "";
    if (std::strlen(cmdLine) >= LINK_CMDLINE_BUFFER) {
        MessageBoxA(nullptr, kCmdLineTooLong, kAppTitle, MB_ICONWARNING);
        m_nResult = LINK_RESULT_FAILED;
        return FALSE;
    }
    if (ParseCommandLine(cmdLine) == 1) {
        m_bFromHost = 1;
        m_pHostWnd = m_hHostWnd;
        connect->m_hOwnerWnd = m_hHostWnd;
        EnableWindow(m_hHostWnd, FALSE);
    }

    if (CheckEnvironment(1) == 0) {
        m_nResult = LINK_RESULT_FAILED;
        return FALSE;
    }

    long link = connect->ExpSysLink();
    if (link == 1) {
        m_nResult = LINK_RESULT_NOT_PERFORMED;
        return FALSE;
    }
    if (link != 0) {
        m_nResult = LINK_RESULT_FAILED;
        return FALSE;
    }

    StDATAINFO dataInfo;
    std::memset(&dataInfo, 0, sizeof dataInfo);
    if (GetSelectedDataInfo(&dataInfo) == 0) {
        m_nResult = LINK_RESULT_FAILED;
        return FALSE;
    }

    return RunAggregation(&dataInfo);
}

int CLinkApp::ExitInstance() {
    FreeLists(m_listAssets, m_listOutput);

    ClBokConnect* connect = ClBokConnect::Inst();
    connect->LogOut();
    connect->Terminate();
    connect->Release();

    if (m_bFromHost == 1) {
        SetForegroundWindow(m_hHostWnd);
        EnableWindow(m_hHostWnd, TRUE);
        // The function id goes back sign-extended to 32 bits, as a 32-bit
        // host reads its wParam.
        const WPARAM wParam = static_cast<uint32_t>(static_cast<int32_t>(m_nFunctionId));
        PostMessageA(m_hHostWnd, static_cast<UINT>(m_nNotifyMsg), wParam, static_cast<LPARAM>(m_nResult));
    }
    return CWinApp::ExitInstance();
}

int CLinkApp::ParseCommandLine(const char* text) {
    if (text == nullptr || text[0] == '\0') return 0;
    if (std::strlen(text) >= LINK_CMDLINE_BUFFER) return 0;

    char work[LINK_CMDLINE_BUFFER];
    std::snprintf(work, sizeof work, "%s", text);

    char* field = work;
    char* comma = std::strchr(field, ',');
    if (comma == nullptr) return 0;
    *comma = '\0';
    m_hHostWnd = reinterpret_cast<HWND>(static_cast<intptr_t>(std::atol(field)));

    field = comma + 1;
    comma = std::strchr(field, ',');
    if (comma == nullptr) return 0;
    *comma = '\0';
    m_nNotifyMsg = static_cast<int32_t>(std::atol(field));

    field = comma + 1;
    comma = std::strchr(field, ',');
    if (comma == nullptr) return 0;
    *comma = '\0';
    m_nFunctionId = static_cast<int16_t>(std::atoi(field));

    field = comma + 1;
    if (*field != '\0') m_strHostPath = field;
    return 1;
}

int CLinkApp::GetSelectedDataInfo(StDATAINFO* out) {
    std::memset(out, 0, sizeof *out);

    ClDataMgr* dataMgr = ClDataMgr::Inst();
    ClSysUser* user = dataMgr->GetSysUserObject();
    char userId[65];
    std::memset(userId, 0, sizeof userId);
    long firstNo = 0, dataNo = 0;
    if (user != nullptr) {
        user->GetCurUserID(userId);
        user->GetSelectedNo(userId, &firstNo, &dataNo);
    }

    auto* setData = dynamic_cast<ClSetData*>(dataMgr->GetSetObject(5, 1));
    if (setData == nullptr) return 0;

    BOKCURSOR cursor = nullptr;
    if (setData->GetDatCursor(&cursor) != 0) return 0;
    if (setData->ReadyDat(cursor, 0) != 0) {
        setData->ReleaseDatCursor(cursor);
        return 0;
    }
    for (;;) {
        StDATAINFO work;
        std::memset(&work, 0, sizeof work);
        if (setData->WalkDat(&work, cursor) != 0) {
            setData->ReleaseDatCursor(cursor);
            return 0;
        }
        if (work.nDataNo == dataNo) {
            std::memcpy(out, &work, sizeof work);
            setData->ReleaseDatCursor(cursor);
            return 1;
        }
    }
}

int CLinkApp::CheckEnvironment(int showMessage) {
    char folder[MAX_PATH + 1];
    ProgramFolder(folder, sizeof folder);

    char iniPath[517];
    std::snprintf(iniPath, sizeof iniPath, "%s", folder);
    AppendBackslash(iniPath, sizeof iniPath);
    const size_t used = std::strlen(iniPath);
    std::snprintf(iniPath + used, sizeof iniPath - used, "%s", "BortaDef.ini");

    const int level = InstalledLevel(iniPath);
    for (const EnvMessage& row : kEnvMessages) {
        if (row.nLevel == level) {
            if (showMessage) ClBokConnect::Inst()->DispMsg(nullptr, row.pszText, kAppTitle, MB_ICONWARNING);
            return 0;
        }
    }
    return 1;
}
