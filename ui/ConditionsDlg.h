// The conditions dialog's behaviour (dialog 130, "所得税(減価償却) - 集計条件").
//
// The class carries everything the dialog decides; a front end draws it
// behind IConditionsView and forwards the user's actions (OnOK, OnCancel,
// OnBrowse, keys through PreTranslateMessage).  Texts are cp932.
#pragma once

#include <string>

#include "compat/win32.h"
#include "platform/records.h"

constexpr int IDD_CONDITIONS = 130;
constexpr int IDC_LBL_NAME_CAPTION = 1000;  // "事業所名"
constexpr int IDC_LBL_NAME_COLON = 1001;
constexpr int IDC_LBL_NAME = 1002;            // business name
constexpr int IDC_LBL_PERIOD_CAPTION = 1003;  // "会計期間"
constexpr int IDC_LBL_PERIOD_COLON = 1004;
constexpr int IDC_LBL_PERIOD = 1005;         // period
constexpr int IDC_LBL_GENKA_CAPTION = 1006;  // "製造原価"
constexpr int IDC_LBL_GENKA_COLON = 1007;
constexpr int IDC_LBL_GENKA = 1008;       // "あり" / "なし"
constexpr int IDC_GRP_CATEGORY = 1009;    // "事業区分"
constexpr int IDC_RAD_GENERAL = 1010;     // "一般用のみ出力(&1)"
constexpr int IDC_RAD_REALESTATE = 1011;  // "不動産用のみ出力(&2)"
constexpr int IDC_RAD_BOTH = 1012;        // "一般用／不動産用ともに出力(&3)"
constexpr int IDC_GRP_OUTPUT = 1013;      // "出力先(&F)"
constexpr int IDC_EDT_OUTPUT = 1014;      // output path
constexpr int IDC_BTN_BROWSE = 1015;      // "参照(&D)..."
// IDOK (1) "実行(F12)", IDCANCEL (2) "キャンセル(Esc)"

// The dialog looks at the virtual keys VK_RETURN, VK_ESCAPE and VK_F12
// (compat/win32.h).

// A key-down message as PreTranslateMessage sees it.
struct StKeyDown {
    int nCtrlId;  // the control that has the focus (0: the dialog)
    int nVirtKey;
    bool bShift, bCtrl, bAlt;
};

class IConditionsView {
public:
    virtual ~IConditionsView() = default;
    virtual HWND Handle() = 0;  // owner of the message boxes
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string GetControlText(int id) = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    virtual bool IsControlEnabled(int id) = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool GetCheck(int id) = 0;
    virtual void SetTextLimit(int id, int bytes) = 0;  // EM_LIMITTEXT
    virtual void SetFocusTo(int id) = 0;
    virtual void SelectAllAndScroll(int id) = 0;  // EM_SETSEL 0,-1 + EM_SCROLLCARET
    virtual void NextDlgCtl() = 0;                // posts WM_NEXTDLGCTL (0, 0)
    virtual void EndDialog(int result) = 0;
};

class CConditionsDlg {
public:
    CConditionsDlg(HWND parent, StDATAINFO* dataInfo, const char* hostPath);
    virtual ~CConditionsDlg() = default;

    // Runs the dialog modally through the installed front end.
    int DoModal();

    // Called by the front end.
    void Attach(IConditionsView* view) { m_pView = view; }
    virtual void DoDataExchange(bool saveAndValidate);
    virtual BOOL PreTranslateMessage(const StKeyDown& key);  // TRUE: consumed
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void OnBrowse();

    BOOL LoadRememberedPath(short* category, char* path, int* reservedA = nullptr, int* reservedB = nullptr);
    BOOL SaveRememberedPath(short category, const char* path, int reservedA, int reservedB);

    short GetCategory() const { return m_nCategory; }
    const std::string& GetOutputPath() const { return m_strOutputPath; }
    HWND GetParentWnd() const { return m_hParent; }
    int GetResult() const { return m_nResult; }

    std::string m_strOutputPath;
    StDATAINFO* m_pDataInfo;
    char m_szHostPath[261];
    char m_szRememberedPath[261];
    short m_nCategory;
    // The remembered-path file was there but another process held it for
    // longer than the load waits: m_szRememberedPath is not what it holds.
    bool m_bRememberedUnread = false;

protected:
    void EndDialog(int result);

    HWND m_hParent;
    IConditionsView* m_pView = nullptr;
    int m_nResult = 0;
};
