// The conditions window: the controls of dialog 130 at their ids, what the
// behaviour's initialisation shows in them, and the keys, buttons and close
// box reaching the behaviour as the Windows dialog manager would pass them.
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <memory>

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "WxTestSupport.h"
#include "ui/ConditionsDlg.h"
#include "ui/wx/WxConditionsDlg.h"
#include "ui/wx/WxText.h"

using wxui::FromU8;
using wxui::WxConditionsDlg;

namespace {

// The real behaviour, with the two actions that end in message boxes or
// the file system only counted.
class CountingConditions : public CConditionsDlg {
public:
    CountingConditions(StDATAINFO* data, const char* hostPath) : CConditionsDlg(nullptr, data, hostPath) {}
    void OnOK() override { ++m_nOK; }
    void OnCancel() override { ++m_nCancel; }
    int m_nOK = 0;
    int m_nCancel = 0;
};

StDATAINFO MakeData(uint8_t businessKind) {
    StDATAINFO data;
    std::memset(&data, 0, sizeof data);
    std::snprintf(data.szJigyoName, sizeof data.szJigyoName, "%s", "山田&商店");
    data.nKikanFrom = 20240101;
    data.nKikanTo = 20241231;
    data.nGenkaFlag = 1;
    data.nJigyoKubun = businessKind;
    return data;
}

// A conditions window over the real behaviour, shown modelessly so that
// the test can drive it; the behaviour's initialisation has run.
class WxConditionsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        m_home = std::make_unique<WxTestHome>();
    }

    WxConditionsDlg& Open(uint8_t businessKind, const char* hostPath = nullptr) {
        m_window.reset();  // before the behaviour it is attached to
        m_data = MakeData(businessKind);
        m_behaviour = std::make_unique<CountingConditions>(&m_data, hostPath);
        m_window = std::make_unique<WxConditionsDlg>(nullptr, *m_behaviour);
        m_behaviour->OnInitDialog();
        m_window->Move(640, 20);
        m_window->Show();
        return *m_window;
    }

    wxWindow* Control(int id) { return m_window->FindWindow(id); }
    wxString LabelOf(int id) { return static_cast<wxStaticText*>(Control(id))->GetLabelText(); }

    std::unique_ptr<WxTestHome> m_home;
    StDATAINFO m_data;
    std::unique_ptr<CountingConditions> m_behaviour;
    std::unique_ptr<WxConditionsDlg> m_window;
};

enum class Kind { Label, Group, Radio, Edit, Button };

struct ControlCase {
    int id;
    Kind kind;
    const char8_t* text;
    int x, y, w, h;
};

const ControlCase kResource[] = {
    {1000, Kind::Label, u8"事業所名", 7, 7, 37, 13},
    {1001, Kind::Label, u8"：", 49, 7, 8, 13},
    {1002, Kind::Label, u8"XXXXXXXXXXXXXXXX", 59, 7, 179, 13},
    {1003, Kind::Label, u8"会計期間", 7, 23, 37, 13},
    {1004, Kind::Label, u8"：", 49, 23, 8, 13},
    {1005, Kind::Label, u8"YYYY/MM/DD ～ YYYY/MM/DD", 59, 23, 179, 13},
    {1006, Kind::Label, u8"製造原価", 7, 39, 37, 13},
    {1007, Kind::Label, u8"：", 49, 39, 8, 13},
    {1008, Kind::Label, u8"なし", 59, 39, 179, 13},
    {1009, Kind::Group, u8"事業区分", 7, 62, 249, 68},
    {1010, Kind::Radio, u8"一般用のみ出力(&1)", 12, 75, 135, 12},
    {1011, Kind::Radio, u8"不動産用のみ出力(&2)", 12, 92, 135, 12},
    {1012, Kind::Radio, u8"一般用／不動産用ともに出力(&3)", 12, 109, 135, 12},
    {1013, Kind::Group, u8"出力先(&F)", 7, 135, 249, 40},
    {1014, Kind::Edit, u8"", 12, 152, 182, 14},
    {1015, Kind::Button, u8"参照(&D)...", 196, 152, 54, 15},
    {1, Kind::Button, u8"実行(F12)", 143, 185, 54, 15},
    {2, Kind::Button, u8"キャンセル(Esc)", 202, 185, 54, 15},
};

bool IsKind(wxWindow* window, Kind kind) {
    switch (kind) {
    case Kind::Label:
        return dynamic_cast<wxStaticText*>(window) != nullptr;
    case Kind::Group:
        return dynamic_cast<wxStaticBox*>(window) != nullptr;
    case Kind::Radio:
        return dynamic_cast<wxRadioButton*>(window) != nullptr;
    case Kind::Edit:
        return dynamic_cast<wxTextCtrl*>(window) != nullptr;
    case Kind::Button:
        return dynamic_cast<wxButton*>(window) != nullptr;
    }
    return false;
}

// Layout -------------------------------------------------------------------

TEST_F(WxConditionsDlgTest, EveryControlOfTheResourceIsAtItsIdWithItsCaption) {
    CountingConditions behaviour(nullptr, nullptr);
    WxConditionsDlg window(nullptr, behaviour);
    EXPECT_EQ(window.GetTitle(), FromU8(u8"所得税(減価償却) - 集計条件"));
    for (const ControlCase& c : kResource) {
        SCOPED_TRACE(c.id);
        wxWindow* control = window.FindWindow(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsKind(control, c.kind));
        const wxString text = c.kind == Kind::Edit    ? static_cast<wxTextCtrl*>(control)->GetValue()
                              : c.kind == Kind::Label ? static_cast<wxStaticText*>(control)->GetLabelText()
                                                      : control->GetLabel();
        EXPECT_EQ(text, FromU8(c.text)) << text.utf8_string();
    }
}

TEST_F(WxConditionsDlgTest, ControlsSitAtTheirDialogUnitsInTheDialogFont) {
    CountingConditions behaviour(nullptr, nullptr);
    WxConditionsDlg window(nullptr, behaviour);
    const wxFont font = window.GetFont();
    EXPECT_EQ(font.GetPointSize(), 9);
    EXPECT_EQ(font.GetFaceName(), wxui::DialogFont().GetFaceName());
    EXPECT_EQ(window.GetClientSize(), window.ConvertDialogToPixels(wxSize(263, 207)));
    for (const ControlCase& c : kResource) {
        SCOPED_TRACE(c.id);
        wxWindow* control = window.FindWindow(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetPosition(), window.ConvertDialogToPixels(wxPoint(c.x, c.y)));
    }
    // Controls laid out in the resource's order are also tabbed in it.
    wxWindowList::compatibility_iterator node = window.GetChildren().GetFirst();
    for (const ControlCase& c : kResource) {
        ASSERT_TRUE(node);
        EXPECT_EQ(node->GetData()->GetId(), c.id);
        node = node->GetNext();
    }
}

TEST(WxConditionsDlgKeys, VirtualKeysOfToolkitKeys) {
    const struct {
        int wxKey, virtKey;
    } cases[] = {
        {WXK_F12, 0x7B},    {WXK_RETURN, 0x0D}, {WXK_NUMPAD_ENTER, 0x0D},
        {WXK_ESCAPE, 0x1B}, {WXK_TAB, 0x09},    {WXK_F1, 0x70},
        {'A', 'A'},         {'a', 'A'},         {'7', '7'},
        {WXK_SHIFT, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(wxui::VirtualKeyOf(c.wxKey), c.virtKey) << c.wxKey;
}

// Initialisation through the behaviour --------------------------------------

struct InitCase {
    const char* name;
    uint8_t businessKind;
    const char* hostPath;  // cp932
    bool general, realEstate, both;
    int checked;
    bool pathEditable;
    const char8_t* outputGroup;
};

void PrintTo(const InitCase& c, std::ostream* os) { *os << c.name; }

class WxConditionsInitTest : public WxConditionsDlgTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(WxConditionsInitTest, ShowsTheDataAndEnablesWhatMayBeChosen) {
    const InitCase& c = GetParam();
    WxConditionsDlg& window = Open(c.businessKind, c.hostPath);

    EXPECT_EQ(LabelOf(1002), FromU8(u8"山田&商店"));
    EXPECT_EQ(LabelOf(1005), FromU8(u8"2024/01/01～2024/12/31"));
    EXPECT_EQ(LabelOf(1008), FromU8(u8"あり"));
    EXPECT_EQ(Control(1010)->IsThisEnabled(), c.general);
    EXPECT_EQ(Control(1011)->IsThisEnabled(), c.realEstate);
    EXPECT_EQ(Control(1012)->IsThisEnabled(), c.both);
    for (int id : {1010, 1011, 1012}) EXPECT_EQ(window.GetCheck(id), id == c.checked) << id;
    EXPECT_EQ(Control(1014)->IsThisEnabled(), c.pathEditable);
    EXPECT_EQ(Control(1015)->IsThisEnabled(), c.pathEditable);
    EXPECT_EQ(Control(1013)->GetLabel(), FromU8(c.outputGroup));
    if (c.hostPath) {
        EXPECT_EQ(window.GetControlText(1014), c.hostPath);
        EXPECT_EQ(static_cast<wxTextCtrl*>(Control(1014))->GetValue(), wxui::FromCp932(c.hostPath));
    }
}

INSTANTIATE_TEST_SUITE_P(Data, WxConditionsInitTest,
                         ::testing::Values(InitCase{"GeneralOnly", 1, nullptr, true, false, false, 1010, true,
                                                    u8"出力先(&F)"},
                                           InitCase{"RealEstateWithHostPath", 2, "C:\\帳票\\減価償却.xml", false, true,
                                                    false, 1011, false, u8"出力先"},
                                           InitCase{"BothWithHostPath", 3, "C:\\out\\report.xml", true, true, true,
                                                    1010, false, u8"出力先"}),
                         [](const ::testing::TestParamInfo<InitCase>& info) { return std::string(info.param.name); });

// Keys ---------------------------------------------------------------------

struct KeyCase {
    const char* name;
    int focus;
    int key;
    int modifiers;
    bool used;
    int ok, cancel;
    int focusAfter;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class WxConditionsKeyTest : public WxConditionsDlgTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(WxConditionsKeyTest, KeyReachesTheBehaviourOrTheDialogManager) {
    const KeyCase& c = GetParam();
    WxConditionsDlg& window = Open(3);
    window.SetFocusTo(c.focus);
    ASSERT_EQ(wxWindow::FindFocus(), Control(c.focus));

    EXPECT_EQ(window.HandleKeyDown(KeyDown(c.key, c.modifiers)), c.used);
    EXPECT_EQ(m_behaviour->m_nOK, c.ok);
    EXPECT_EQ(m_behaviour->m_nCancel, c.cancel);
    wxWindow* focus = wxWindow::FindFocus();
    EXPECT_EQ(focus ? focus->GetId() : 0, c.focusAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, WxConditionsKeyTest,
    ::testing::Values(
        // F12 runs 実行 from any control, but not with a modifier held.
        KeyCase{"F12InEdit", 1014, WXK_F12, wxMOD_NONE, true, 1, 0, 1014},
        KeyCase{"F12OnRadio", 1010, WXK_F12, wxMOD_NONE, true, 1, 0, 1010},
        KeyCase{"F12OnCancel", 2, WXK_F12, wxMOD_NONE, true, 1, 0, 2},
        KeyCase{"ShiftF12", 1014, WXK_F12, wxMOD_SHIFT, false, 0, 0, 1014},
        KeyCase{"CtrlF12", 1010, WXK_F12, wxMOD_CONTROL, false, 0, 0, 1010},
        // Enter moves on from the radios and the edit, presses a button.
        KeyCase{"EnterOnRadio", 1010, WXK_RETURN, wxMOD_NONE, true, 0, 0, 1014},
        KeyCase{"EnterInEdit", 1014, WXK_RETURN, wxMOD_NONE, true, 0, 0, 1015},
        KeyCase{"KeypadEnterInEdit", 1014, WXK_NUMPAD_ENTER, wxMOD_NONE, true, 0, 0, 1015},
        KeyCase{"EnterOnExecute", 1, WXK_RETURN, wxMOD_NONE, true, 1, 0, 1},
        KeyCase{"EnterOnCancel", 2, WXK_RETURN, wxMOD_NONE, true, 0, 1, 2},
        KeyCase{"EnterOnBrowse", 1015, WXK_RETURN, wxMOD_NONE, true, 0, 0, 1},
        KeyCase{"ShiftEnterInEditIsTheDefaultButton", 1014, WXK_RETURN, wxMOD_SHIFT, true, 1, 0, 1014},
        // Esc is キャンセル wherever the focus is.
        KeyCase{"EscInEdit", 1014, WXK_ESCAPE, wxMOD_NONE, true, 0, 1, 1014},
        KeyCase{"EscOnRadio", 1011, WXK_ESCAPE, wxMOD_NONE, true, 0, 1, 1011},
        // Tab order and access keys.
        KeyCase{"TabInEdit", 1014, WXK_TAB, wxMOD_NONE, true, 0, 0, 1015},
        KeyCase{"ShiftTabInEditEntersTheCheckedRadio", 1014, WXK_TAB, wxMOD_SHIFT, true, 0, 0, 1010},
        KeyCase{"AltFGoesToThePath", 1, 'F', wxMOD_ALT, true, 0, 0, 1014},
        KeyCase{"AltDBrowses", 1014, 'D', wxMOD_ALT, true, 0, 0, 1},
        KeyCase{"TypingInEditStaysInEdit", 1014, 'D', wxMOD_NONE, false, 0, 0, 1014}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(WxConditionsDlgTest, EnterOnARadioSkipsThePathControlsAHostPathDisabled) {
    WxConditionsDlg& window = Open(3, "C:\\out\\report.xml");
    window.SetFocusTo(1012);
    EXPECT_TRUE(window.HandleKeyDown(KeyDown(WXK_RETURN)));
    EXPECT_EQ(wxWindow::FindFocus(), Control(1));
}

TEST_F(WxConditionsDlgTest, AccessKeyOfARadioChecksIt) {
    WxConditionsDlg& window = Open(3);
    window.SetFocusTo(1014);
    EXPECT_TRUE(window.HandleKeyDown(KeyDown('2', wxMOD_ALT)));
    EXPECT_TRUE(window.GetCheck(1011));
    EXPECT_FALSE(window.GetCheck(1010));
    EXPECT_EQ(wxWindow::FindFocus(), Control(1011));
}

// Buttons and the close box --------------------------------------------------

TEST_F(WxConditionsDlgTest, ButtonsAndTheCloseBoxReachTheBehaviour) {
    const struct {
        int id;
        int ok, cancel;
    } cases[] = {{1, 1, 0}, {2, 0, 1}};
    for (const auto& c : cases) {
        Open(3);
        wxCommandEvent click(wxEVT_BUTTON, c.id);
        click.SetEventObject(Control(c.id));
        Control(c.id)->ProcessWindowEvent(click);
        EXPECT_EQ(m_behaviour->m_nOK, c.ok) << c.id;
        EXPECT_EQ(m_behaviour->m_nCancel, c.cancel) << c.id;
    }

    Open(3);
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, m_window->GetId());
    close.SetCanVeto(true);
    m_window->ProcessWindowEvent(close);
    EXPECT_EQ(m_behaviour->m_nCancel, 1);
    EXPECT_TRUE(close.GetVeto());  // the behaviour ends the dialog, not the toolkit
}

TEST_F(WxConditionsDlgTest, EndDialogOutsideAModalRunKeepsTheResult) {
    WxConditionsDlg& window = Open(3);
    window.EndDialog(IDCANCEL);
    EXPECT_EQ(window.EndResult(), IDCANCEL);
    EXPECT_FALSE(window.IsShown());
}

// The path edit ----------------------------------------------------------------

struct EditCase {
    const char* name;
    int limit;
    const char8_t* before;
    const char8_t* typed;  // the whole text after the user's change
    const char8_t* kept;
};

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class WxConditionsEditTest : public WxConditionsDlgTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(WxConditionsEditTest, HoldsOnlyWhatFitsInCodePage932Bytes) {
    const EditCase& c = GetParam();
    WxConditionsDlg& window = Open(3);
    window.SetTextLimit(1014, c.limit);
    window.SetControlText(1014, wxui::ToCp932(FromU8(c.before)));
    auto* edit = static_cast<wxTextCtrl*>(Control(1014));
    edit->SetValue(FromU8(c.typed));
    EXPECT_EQ(edit->GetValue(), FromU8(c.kept)) << edit->GetValue().utf8_string();
    EXPECT_EQ(window.GetControlText(1014), wxui::ToCp932(FromU8(c.kept)));
}

INSTANTIATE_TEST_SUITE_P(
    Edit, WxConditionsEditTest,
    ::testing::Values(EditCase{"WithinTheLimit", 10, u8"abc", u8"abcdef", u8"abcdef"},
                      EditCase{"CutAtTheLimit", 5, u8"abc", u8"abcdefg", u8"abcde"},
                      EditCase{"DoubleByteCharacterNeverHalved", 5, u8"ab", u8"abあいう", u8"abあ"},
                      EditCase{"InsertedInTheMiddle", 5, u8"abcd", u8"abXYcd", u8"abXcd"},
                      EditCase{"CharacterWithoutCp932Dropped", 0, u8"ab", u8"ab\U0001F600c한", u8"abc"},
                      EditCase{"DeletingFromALongerHostTextKeepsIt", 5, u8"abcdefgh", u8"abcdefg", u8"abcdefg"}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

// For review ---------------------------------------------------------------------

TEST_F(WxConditionsDlgTest, Screenshot) {
    WxConditionsDlg& window = Open(3);
    window.Move(20, 20);
    window.SetFocusTo(1010);
    EXPECT_TRUE(SaveScreenshot(&window, "conditions.png"));
}

}  // namespace
