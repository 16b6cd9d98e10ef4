// The wxWidgets front end: message boxes, the save-file dialog with its
// Windows paths, the progress window it creates, and the conditions dialog
// run modally over the real behaviour.  Modal dialogs are answered by the
// toolkit's expectations (wxTEST_DIALOG) instead of being shown.
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <memory>

#include <wx/button.h>
#include <wx/filedlg.h>

#include "WxTestSupport.h"
#include "ui/ConditionsDlg.h"
#include "ui/Frontend.h"
#include "ui/wx/WxConditionsDlg.h"
#include "ui/wx/WxFrontend.h"
#include "ui/wx/WxMessageBox.h"
#include "ui/wx/WxProgressDlg.h"
#include "ui/wx/WxText.h"

using testsupport::U8;
using wxui::FromU8;

// A message box of the front end's own, expected with its text and icon and
// answered with answer.
template <>
class wxExpectModal<wxui::WxMessageBox> : public wxExpectModalBase<wxui::WxMessageBox> {
public:
    wxExpectModal(const char8_t* text, const wxArtID& icon, int answer = wxID_OK)
        : m_text(text), m_icon(icon), m_answer(answer) {}

protected:
    int OnInvoked(wxui::WxMessageBox* box) const override {
        EXPECT_EQ(box->GetMessage(), FromU8(m_text)) << box->GetMessage().utf8_string();
        EXPECT_EQ(box->GetIconId(), m_icon);
        return m_answer;
    }
    wxString GetDefaultDescription() const override { return "message box \"" + FromU8(m_text) + "\""; }

private:
    const char8_t* m_text;
    wxArtID m_icon;
    int m_answer;
};

namespace {

using ExpectMessage = wxExpectModal<wxui::WxMessageBox>;

class WxFrontendTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        m_home = std::make_unique<WxTestHome>();
        m_frontend = MakeWxFrontend();
        ASSERT_NE(m_frontend, nullptr);
        SetFrontend(m_frontend.get());
    }
    void TearDown() override { SetFrontend(nullptr); }

    std::unique_ptr<WxTestHome> m_home;
    std::unique_ptr<Frontend> m_frontend;
};

// Message boxes ------------------------------------------------------------------

// The buttons of a box, left to right.
std::vector<int> ButtonIds(const wxui::WxMessageBox& box) {
    std::vector<int> ids;
    for (const wxButton* button : box.Buttons()) ids.push_back(button->GetId());
    return ids;
}

struct MessageCase {
    const char* name;
    UINT type;
    int answered;  // the button the user pressed
    int result;
    std::vector<int> buttons;  // left to right
    wxArtID icon;
    int defaultButton;
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class WxMessageBoxTest : public WxFrontendTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(WxMessageBoxTest, ShowsTheTextsWithTheStyleAndAnswersAsWindows) {
    const MessageCase& c = GetParam();
    int result = 0;
    wxTEST_DIALOG(
        result = m_frontend->MessageBox(nullptr, "同名のファイルが存在します。\n\n上書きしてもよろしいですか？",
                                        "所得税(減価償却)", c.type),
        WxExpectDialog<wxui::WxMessageBox>([&](wxui::WxMessageBox& box) {
            EXPECT_EQ(box.GetMessage(), FromU8(u8"同名のファイルが存在します。\n\n上書きしてもよろしいですか？"));
            EXPECT_EQ(box.GetTitle(), FromU8(u8"所得税(減価償却)"));
            EXPECT_EQ(ButtonIds(box), c.buttons);
            EXPECT_EQ(box.GetIconId(), c.icon);
            EXPECT_EQ(box.GetAffirmativeId(), c.defaultButton);
            return c.answered;
        }));
    EXPECT_EQ(result, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Types, WxMessageBoxTest,
    ::testing::Values(
        MessageCase{"Warning", MB_OK | MB_ICONWARNING, wxID_OK, IDOK, {wxID_OK}, wxART_WARNING, wxID_OK},
        MessageCase{"Information", MB_ICONINFORMATION, wxID_OK, IDOK, {wxID_OK}, wxART_INFORMATION, wxID_OK},
        MessageCase{"Plain", MB_OK, wxID_OK, IDOK, {wxID_OK}, wxArtID(), wxID_OK},
        MessageCase{"ClosedNoticeIsOk", MB_ICONWARNING, wxID_CANCEL, IDOK, {wxID_OK}, wxART_WARNING, wxID_OK},
        MessageCase{
            "QuestionYes", MB_YESNO | MB_ICONQUESTION, wxID_YES, IDYES, {wxID_YES, wxID_NO}, wxART_QUESTION, wxID_YES},
        MessageCase{
            "QuestionNo", MB_YESNO | MB_ICONQUESTION, wxID_NO, IDNO, {wxID_YES, wxID_NO}, wxART_QUESTION, wxID_YES},
        MessageCase{"QuestionClosedIsNo",
                    MB_YESNO | MB_ICONQUESTION,
                    wxID_CANCEL,
                    IDNO,
                    {wxID_YES, wxID_NO},
                    wxART_QUESTION,
                    wxID_YES},
        MessageCase{"SecondButtonDefault",
                    MB_YESNO | MB_ICONQUESTION | 0x100,
                    wxID_NO,
                    IDNO,
                    {wxID_YES, wxID_NO},
                    wxART_QUESTION,
                    wxID_NO}),
    [](const ::testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

TEST_F(WxFrontendTest, MessageBoxesGoThroughMessageBoxA) {
    int result = 0;
    wxTEST_DIALOG(result = MessageBoxA(nullptr, "減価償却の集計結果を正常に出力しました。", "所得税(減価償却)",
                                       MB_ICONINFORMATION),
                  ExpectMessage(u8"減価償却の集計結果を正常に出力しました。", wxART_INFORMATION));
    EXPECT_EQ(result, IDOK);
}

// Owners -------------------------------------------------------------------------

TEST_F(WxFrontendTest, OnlyItsOwnShownWindowsOwnMessageBoxes) {
    std::unique_ptr<IProgressView> view = m_frontend->CreateProgressView(nullptr);
    ASSERT_NE(view, nullptr);
    auto* window = dynamic_cast<wxui::WxProgressDlg*>(view.get());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsShown());
    EXPECT_EQ(wxui::OwnWindow(view->Handle()), window);
    EXPECT_EQ(wxui::OwnWindow(nullptr), nullptr);
    // A host window is a number from the command line; it is never followed.
    EXPECT_EQ(wxui::OwnWindow(reinterpret_cast<HWND>(0x1234)), nullptr);
    window->Hide();
    EXPECT_EQ(wxui::OwnWindow(view->Handle()), nullptr);
}

// The save-file dialog ---------------------------------------------------------------

struct BrowseCase {
    const char* name;
    const char* initialDir;   // cp932 Windows path
    const char* initialName;  // cp932
    const char8_t* hostDir;   // below the home; null: no folder given to the dialog
    const char8_t* hostChosen;
    const char* chosen;  // cp932 Windows path
};

void PrintTo(const BrowseCase& c, std::ostream* os) { *os << c.name; }

class WxBrowseTest : public WxFrontendTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(WxBrowseTest, OpensAtTheHostFolderAndAnswersAWindowsPath) {
    const BrowseCase& c = GetParam();
    if (c.hostDir) m_home->MakeDir(U8(c.hostDir));
    const std::string chosenHost = m_home->File(U8(c.hostChosen));
    std::string chosen = "unchanged";
    bool browsed = false;
    // The toolkit's own file dialog, GTK's native one, is looked at through
    // its wxFileDialog.
    wxTEST_DIALOG(browsed = m_frontend->BrowseSaveFile("保存ファイルを指定", "Xml Files (*.xml)|*.xml||", "XML",
                                                       c.initialDir, c.initialName, chosen),
                  WxExpectDialog<wxFileDialog>([&](wxFileDialog& files) {
                      EXPECT_EQ(files.GetMessage(), FromU8(u8"保存ファイルを指定"));
                      EXPECT_EQ(files.GetWildcard(), wxString("Xml Files (*.xml)|*.xml"));
                      EXPECT_TRUE(files.HasFlag(wxFD_SAVE));
                      EXPECT_FALSE(files.HasFlag(wxFD_CHANGE_DIR));
                      EXPECT_EQ(files.GetFilename(), wxui::FromCp932(c.initialName));
                      if (c.hostDir)
                          EXPECT_EQ(files.GetDirectory(), wxString::FromUTF8(m_home->File(U8(c.hostDir))));
                      else
                          EXPECT_TRUE(files.GetDirectory().empty());
                      files.SetPath(wxString::FromUTF8(chosenHost));
                      return wxID_OK;
                  }));
    EXPECT_TRUE(browsed);
    EXPECT_EQ(chosen, c.chosen);
}

INSTANTIATE_TEST_SUITE_P(Paths, WxBrowseTest,
                         ::testing::Values(BrowseCase{"NamedFile", "C:\\out\\", "report.xml", u8"c/out",
                                                      u8"c/out/report.xml", "C:\\out\\report.xml"},
                                           BrowseCase{"DefaultExtensionAdded", "C:\\out\\", "*.xml", u8"c/out",
                                                      u8"c/out/new", "C:\\out\\new.XML"},
                                           BrowseCase{"JapaneseNames", "C:\\帳票\\", "減価償却.xml", u8"c/帳票",
                                                      u8"c/帳票/減価償却.xml", "C:\\帳票\\減価償却.xml"},
                                           BrowseCase{"UnknownDriveOpensAnywhere", "Q:\\", "a.xml", nullptr,
                                                      u8"c/a.xml", "C:\\a.xml"}),
                         [](const ::testing::TestParamInfo<BrowseCase>& info) { return std::string(info.param.name); });

TEST_F(WxFrontendTest, CancelledSaveFileDialogChangesNothing) {
    std::string chosen = "C:\\old.xml";
    bool browsed = true;
    wxTEST_DIALOG(
        browsed = m_frontend->BrowseSaveFile("t", "Xml Files (*.xml)|*.xml||", "XML", "C:\\", "a.xml", chosen),
        wxExpectDismissableModal<wxFileDialog>(wxID_CANCEL));
    EXPECT_FALSE(browsed);
    EXPECT_EQ(chosen, "C:\\old.xml");
}

TEST(WxFrontendPieces, WildcardOfAFileDialogFilter) {
    const struct {
        const char* filter;
        const char8_t* wildcard;
    } cases[] = {
        {"Xml Files (*.xml)|*.xml||", u8"Xml Files (*.xml)|*.xml"},
        {"A (*.a)|*.a|B (*.b)|*.b;*.c||", u8"A (*.a)|*.a|B (*.b)|*.b;*.c"},
        {"帳票 (*.xml)|*.xml||", u8"帳票 (*.xml)|*.xml"},
        {"", u8"*"},
    };
    for (const auto& c : cases) EXPECT_EQ(wxui::WildcardOfFilter(c.filter), FromU8(c.wildcard)) << c.filter;
}

TEST(WxFrontendPieces, DefaultExtensionOnlyForANameWithout) {
    const struct {
        const char* path;
        const char* ext;
        const char* result;
    } cases[] = {
        {"/a/b/report", "XML", "/a/b/report.XML"}, {"/a/b/report.xml", "XML", "/a/b/report.xml"},
        {"/a.b/report", "XML", "/a.b/report.XML"}, {"/a/b/", "XML", "/a/b/"},
        {"/a/b/report", "", "/a/b/report"},
    };
    for (const auto& c : cases) EXPECT_EQ(wxui::WithDefaultExtension(c.path, c.ext), c.result) << c.path;
}

// The conditions dialog, modally ----------------------------------------------------

StDATAINFO MakeData(int16_t dataKind) {
    StDATAINFO data;
    std::memset(&data, 0, sizeof data);
    std::snprintf(data.szJigyoName, sizeof data.szJigyoName, "%s", "山田商店");
    data.nKikanFrom = 20240101;
    data.nKikanTo = 20241231;
    data.nDataKind = dataKind;
    data.nJigyoKubun = 3;
    return data;
}

// Expects the conditions window; act drives it, and it answers as it ended.
WxExpectDialog<wxui::WxConditionsDlg> OnConditions(std::function<void(wxui::WxConditionsDlg&)> act) {
    return WxExpectDialog<wxui::WxConditionsDlg>([act](wxui::WxConditionsDlg& window) {
        act(window);
        return window.EndResult();
    });
}

TEST_F(WxFrontendTest, F12AcceptsAUsablePath) {
    StDATAINFO data = MakeData(0);
    CConditionsDlg dialog(nullptr, &data, nullptr);
    int result = 0;
    wxTEST_DIALOG(result = dialog.DoModal(), OnConditions([](wxui::WxConditionsDlg& window) {
                      window.SetControlText(IDC_EDT_OUTPUT, "C:\\減価償却.xml");
                      window.SetCheck(IDC_RAD_BOTH, true);
                      EXPECT_TRUE(window.HandleKeyDown(KeyDown(WXK_F12)));
                  }));
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetOutputPath(), "C:\\減価償却.xml");
    EXPECT_EQ(dialog.GetCategory(), 3);
}

TEST_F(WxFrontendTest, F12OnThePatternIsRefusedAndTheDialogStays) {
    StDATAINFO data = MakeData(0);
    CConditionsDlg dialog(nullptr, &data, nullptr);
    int result = 0;
    wxTEST_DIALOG(
        result = dialog.DoModal(), OnConditions([](wxui::WxConditionsDlg& window) {
            window.SetControlText(IDC_EDT_OUTPUT, "C:\\*.xml");
            EXPECT_TRUE(window.HandleKeyDown(KeyDown(WXK_F12)));
            EXPECT_EQ(window.EndResult(), 0);
            // Closing it after the refusal.
            window.HandleKeyDown(KeyDown(WXK_ESCAPE));
        }),
        ExpectMessage(u8"データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。", wxART_WARNING),
        ExpectMessage(u8"｢所得税(減価償却)｣の集計を中止します。", wxART_INFORMATION));
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(WxFrontendTest, PastResultsDataEndsBeforeTheDialogShows) {
    StDATAINFO data = MakeData(99);
    CConditionsDlg dialog(nullptr, &data, nullptr);
    int result = 0;
    // The expectations fail the test on any dialog after the box.
    wxTEST_DIALOG(
        result = dialog.DoModal(),
        ExpectMessage(u8"過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。",
                      wxART_WARNING));
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
