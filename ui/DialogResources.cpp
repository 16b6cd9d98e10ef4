#include "ui/DialogResources.h"

#include <iterator>

#include "compat/win32.h"
#include "ui/ConditionsDlg.h"
#include "ui/ProgressDlg.h"

namespace {

const StDlgItem g_ConditionsItems[] = {
    {IDC_LBL_NAME_CAPTION, EDlgItemKind::Label, "事業所名", 7, 7, 37, 13},
    {IDC_LBL_NAME_COLON, EDlgItemKind::Label, "：", 49, 7, 8, 13},
    {IDC_LBL_NAME, EDlgItemKind::Label, "XXXXXXXXXXXXXXXX", 59, 7, 179, 13},
    {IDC_LBL_PERIOD_CAPTION, EDlgItemKind::Label, "会計期間", 7, 23, 37, 13},
    {IDC_LBL_PERIOD_COLON, EDlgItemKind::Label, "：", 49, 23, 8, 13},
    {IDC_LBL_PERIOD, EDlgItemKind::Label, "YYYY/MM/DD ～ YYYY/MM/DD", 59, 23, 179, 13},
    {IDC_LBL_GENKA_CAPTION, EDlgItemKind::Label, "製造原価", 7, 39, 37, 13},
    {IDC_LBL_GENKA_COLON, EDlgItemKind::Label, "：", 49, 39, 8, 13},
    {IDC_LBL_GENKA, EDlgItemKind::Label, "なし", 59, 39, 179, 13},
    {IDC_GRP_CATEGORY, EDlgItemKind::Group, "事業区分", 7, 62, 249, 68},
    {IDC_RAD_GENERAL, EDlgItemKind::FirstRadio, "一般用のみ出力(&1)", 12, 75, 135, 12},
    {IDC_RAD_REALESTATE, EDlgItemKind::Radio, "不動産用のみ出力(&2)", 12, 92, 135, 12},
    {IDC_RAD_BOTH, EDlgItemKind::Radio, "一般用／不動産用ともに出力(&3)", 12, 109, 135, 12},
    {IDC_GRP_OUTPUT, EDlgItemKind::Group, "出力先(&F)", 7, 135, 249, 40},
    {IDC_EDT_OUTPUT, EDlgItemKind::Edit, "", 12, 152, 182, 14},
    {IDC_BTN_BROWSE, EDlgItemKind::Button, "参照(&D)...", 196, 152, 54, 15},
    {IDOK, EDlgItemKind::Button, "実行(F12)", 143, 185, 54, 15},
    {IDCANCEL, EDlgItemKind::Button, "キャンセル(Esc)", 202, 185, 54, 15},
};

const StDlgItem g_ProgressItems[] = {
    {IDC_PROGRESS_MAIN, EDlgItemKind::SmoothProgress, "", 5, 5, 211, 22},
    {IDC_PROGRESS_SUB, EDlgItemKind::Progress, "", 5, 29, 211, 10},
};

}  // namespace

const StDlgTemplate g_dlgConditions = {IDD_CONDITIONS,    "所得税(減価償却) - 集計条件", "ＭＳ Ｐゴシック", 9, 263, 207,
                                       g_ConditionsItems, std::size(g_ConditionsItems)};

const StDlgTemplate g_dlgProgress = {IDD_PROGRESS, kProgressCaption, "ＭＳ Ｐゴシック",         9, 221,
                                     45,           g_ProgressItems,  std::size(g_ProgressItems)};

const StDlgItem* StDlgTemplate::Find(int id) const {
    for (const StDlgItem& item : *this)
        if (item.nId == id) return &item;
    return nullptr;
}
