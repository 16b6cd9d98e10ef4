// The conditions dialog over a recorded view: what it shows, which keys it
// takes, and every refusal of 実行 with its message.

#include "ui/ConditionsDlg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "UiTestSupport.h"
#include "ui/ConditionsViewState.h"

namespace {

const char kTitle[] = "所得税(減価償却)";
const std::string kEnvFile = "drive_c/BOK/ENV/DeprLinkStd.env";

class ConditionsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.IsReady()) << home.Error();
        SetDrives(home,
                  {"C: fixed drive_c", "Q: cdrom drive_q", "R: fixed drive_r ro", "\\\\SERVER\\share remote share",
                   "\\\\SERVER\\roshare remote roshare ro"},
                  {"drive_c", "drive_q", "drive_r", "share", "roshare"});
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
first = 1
selected = 5
)")) << home.Error();
        std::memset(&info, 0, sizeof info);
        std::snprintf(info.szJigyoName, sizeof info.szJigyoName, "%s", "山田商店");
        info.nDataNo = 5;
        info.nKikanFrom = 20240101;
        info.nKikanTo = 20241231;
        info.nJigyoKubun = 3;
    }

    void Remember(const std::string& line) {
        home.MakeDir("drive_c/BOK/ENV");
        home.WriteFile(kEnvFile, line);
    }

    // A dialog shown over view, as a front end shows it.
    std::unique_ptr<CConditionsDlg> Open(const char* hostPath = nullptr) {
        auto dialog = std::make_unique<CConditionsDlg>(nullptr, &info, hostPath);
        dialog->Attach(&view);
        initResult = dialog->OnInitDialog();
        return dialog;
    }

    UiPlatformHome home;
    ScriptedFrontend frontend;
    ClConditionsViewState view;
    StDATAINFO info;
    BOOL initResult = FALSE;
};

TEST_F(ConditionsDlgTest, ShowsTheDataOfTheRun) {
    struct {
        int32_t nFrom, nTo, nGenka;
        const char* pszPeriod;
        const char* pszGenka;
    } const cases[] = {
        {20240101, 20241231, 0, "2024/01/01～2024/12/31", "なし"},
        {20190501, 20200430, 1, "2019/05/01～2020/04/30", "あり"},
        {99991231, 10101, -1, "9999/12/31～0001/01/01", "あり"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszPeriod);
        info.nKikanFrom = c.nFrom;
        info.nKikanTo = c.nTo;
        info.nGenkaFlag = c.nGenka;
        auto dialog = Open();
        EXPECT_TRUE(initResult);
        EXPECT_EQ(view.GetControlText(IDC_LBL_NAME), "山田商店");
        EXPECT_EQ(view.GetControlText(IDC_LBL_PERIOD), c.pszPeriod);
        EXPECT_EQ(view.GetControlText(IDC_LBL_GENKA), c.pszGenka);
        EXPECT_EQ(view.Control(IDC_EDT_OUTPUT).nTextLimit, 255);
        EXPECT_FALSE(view.Ended());
    }
    // "～" is U+FF5E, 0x81 0x60 in code page 932.
    EXPECT_EQ(view.GetControlText(IDC_LBL_PERIOD).substr(10, 2), "\x81\x60");
}

TEST_F(ConditionsDlgTest, ABusinessNameFillingItsFieldIsShownCutToTheLabelBuffer) {
    std::memset(info.szJigyoName, 'N', sizeof info.szJigyoName);  // no terminator at all
    auto dialog = Open();
    EXPECT_EQ(view.GetControlText(IDC_LBL_NAME), std::string(255, 'N'));
}

TEST_F(ConditionsDlgTest, PastResultsDataIsRefusedBeforeAnythingIsSetUp) {
    info.nDataKind = 99;
    auto dialog = Open();
    EXPECT_FALSE(initResult);
    ASSERT_EQ(frontend.messages.size(), 1u);
    EXPECT_EQ(frontend.messages[0].strText,
              "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。");
    EXPECT_EQ(frontend.messages[0].strCaption, kTitle);
    EXPECT_EQ(frontend.messages[0].nType, MB_ICONWARNING);
    EXPECT_EQ(frontend.messages[0].hOwner, view.Handle());
    EXPECT_TRUE(view.Ended());
    EXPECT_EQ(view.Result(), IDCANCEL);
    EXPECT_EQ(view.Control(IDC_EDT_OUTPUT).nTextLimit, 0);
    EXPECT_EQ(view.GetControlText(IDC_LBL_NAME), "XXXXXXXXXXXXXXXX");
}

// Only kind 99 is past results; every other kind of data opens the dialog.
TEST_F(ConditionsDlgTest, DataOfEveryOtherKindOpensTheDialog) {
    for (short kind : {0, 98, 100}) {
        SCOPED_TRACE(kind);
        view = ClConditionsViewState();
        frontend.messages.clear();
        info.nDataKind = kind;
        auto dialog = Open();
        EXPECT_TRUE(initResult);
        EXPECT_TRUE(frontend.messages.empty());
        EXPECT_FALSE(view.Ended());
    }
}

struct StRadioCase {
    int nKind;
    int nRemembered;                    // 0: no entry
    bool bGeneral, bRealEstate, bBoth;  // enabled
    int nChecked;
};

TEST_F(ConditionsDlgTest, EnablesAndChecksTheCategoriesOfTheBusinessKind) {
    const StRadioCase cases[] = {
        {1, 0, true, false, false, IDC_RAD_GENERAL},    {1, 2, true, false, false, IDC_RAD_GENERAL},
        {1, 3, true, false, false, IDC_RAD_GENERAL},    {2, 0, false, true, false, IDC_RAD_REALESTATE},
        {2, 1, false, true, false, IDC_RAD_REALESTATE}, {2, 3, false, true, false, IDC_RAD_REALESTATE},
        {3, 0, true, true, true, IDC_RAD_GENERAL},      {3, 1, true, true, true, IDC_RAD_GENERAL},
        {3, 2, true, true, true, IDC_RAD_REALESTATE},   {3, 3, true, true, true, IDC_RAD_BOTH},
        {3, 4, true, true, true, IDC_RAD_GENERAL},      {0, 2, true, true, true, IDC_RAD_REALESTATE},
        {7, 3, true, true, true, IDC_RAD_BOTH},
    };
    for (const StRadioCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.nKind << ", remembered " << c.nRemembered);
        info.nJigyoKubun = static_cast<uint8_t>(c.nKind);
        Remember(c.nRemembered ? "tanaka/1/5:0/0/" + std::to_string(c.nRemembered) + "/C:\\r.xml\n" : "");
        view = ClConditionsViewState();
        auto dialog = Open();
        EXPECT_EQ(view.IsControlEnabled(IDC_RAD_GENERAL), c.bGeneral);
        EXPECT_EQ(view.IsControlEnabled(IDC_RAD_REALESTATE), c.bRealEstate);
        EXPECT_EQ(view.IsControlEnabled(IDC_RAD_BOTH), c.bBoth);
        for (int id : {IDC_RAD_GENERAL, IDC_RAD_REALESTATE, IDC_RAD_BOTH})
            EXPECT_EQ(view.GetCheck(id), id == c.nChecked) << id;
    }
}

TEST_F(ConditionsDlgTest, PicksTheInitialPath) {
    struct {
        const char* pszTitle;
        const char* pszHostPath;
        std::string strRemembered;  // the file's content
        const char* pszFolders;     // the import that sets the folder of type 0
        std::string strExpected;
    } const cases[] = {
        {"the host's, even with a remembered one", "C:\\host\\h.xml", "tanaka/1/5:0/0/3/C:\\r.xml\n", nullptr,
         "C:\\host\\h.xml"},
        {"the remembered one", nullptr, "tanaka/1/5:0/0/3/C:\\r/x.xml\n", nullptr, "C:\\r/x.xml"},
        {"the data folder's pattern", nullptr, "", nullptr, "C:\\BOK\\DATA\\*.xml"},
        {"a remembered empty path", nullptr, "tanaka/1/5:0/0/3/\n", nullptr, "C:\\BOK\\DATA\\*.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTitle);
        Remember(c.strRemembered);
        view = ClConditionsViewState();
        auto dialog = Open(c.pszHostPath);
        EXPECT_EQ(view.GetControlText(IDC_EDT_OUTPUT), c.strExpected);
        EXPECT_EQ(dialog->GetOutputPath(), c.strExpected);
        const bool host = c.pszHostPath != nullptr;
        EXPECT_EQ(view.GetControlText(IDC_GRP_OUTPUT), host ? "出力先" : "出力先(&F)");
        EXPECT_EQ(view.IsControlEnabled(IDC_EDT_OUTPUT), !host);
        EXPECT_EQ(view.IsControlEnabled(IDC_BTN_BROWSE), !host);
    }
}

TEST_F(ConditionsDlgTest, WithoutADataFolderThePatternLiesInTheTemporaryFolder) {
    UiPlatformHome bare;
    ASSERT_TRUE(bare.Import(u8"[user]\nid = tanaka\nselected = 5\n")) << bare.Error();
    char temp[261] = {};
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    auto dialog = Open();
    EXPECT_EQ(view.GetControlText(IDC_EDT_OUTPUT), std::string(temp) + "*.xml");
}

TEST_F(ConditionsDlgTest, KeysMoveTheFocusOrRunButOnlyWithoutModifiers) {
    home.MakeDir("drive_c/out");
    struct {
        const char* pszTitle;
        int nFocus;
        int nKey;
        bool bShift, bCtrl, bAlt;
        BOOL bConsumed;
        int nFocusAfter;
        bool bEnded;
    } const cases[] = {
        {"Enter in the edit", IDC_EDT_OUTPUT, VK_RETURN, false, false, false, TRUE, IDC_BTN_BROWSE, false},
        {"Enter in a radio", IDC_RAD_REALESTATE, VK_RETURN, false, false, false, TRUE, IDC_EDT_OUTPUT, false},
        {"Enter on 実行", IDOK, VK_RETURN, false, false, false, FALSE, IDOK, false},
        {"Enter on 参照", IDC_BTN_BROWSE, VK_RETURN, false, false, false, FALSE, IDC_BTN_BROWSE, false},
        {"Shift+Enter in the edit", IDC_EDT_OUTPUT, VK_RETURN, true, false, false, FALSE, IDC_EDT_OUTPUT, false},
        {"F12 in the edit", IDC_EDT_OUTPUT, VK_F12, false, false, false, TRUE, IDC_EDT_OUTPUT, true},
        {"F12 on キャンセル", IDCANCEL, VK_F12, false, false, false, TRUE, IDCANCEL, true},
        {"Shift+F12", IDC_EDT_OUTPUT, VK_F12, true, false, false, FALSE, IDC_EDT_OUTPUT, false},
        {"Ctrl+F12", IDC_EDT_OUTPUT, VK_F12, false, true, false, FALSE, IDC_EDT_OUTPUT, false},
        {"Alt+F12", IDC_EDT_OUTPUT, VK_F12, false, false, true, FALSE, IDC_EDT_OUTPUT, false},
        {"Esc goes to the dialog manager", IDC_EDT_OUTPUT, VK_ESCAPE, false, false, false, FALSE, IDC_EDT_OUTPUT,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTitle);
        view = ClConditionsViewState();
        auto dialog = Open();
        view.SetControlText(IDC_EDT_OUTPUT, "C:\\out\\new.xml");
        view.SetFocusTo(c.nFocus);
        EXPECT_EQ(dialog->PreTranslateMessage(StKeyDown{c.nFocus, c.nKey, c.bShift, c.bCtrl, c.bAlt}), c.bConsumed);
        EXPECT_EQ(view.Focus(), c.nFocusAfter);
        EXPECT_EQ(view.Ended(), c.bEnded);
        if (c.bEnded) {
            EXPECT_EQ(view.Result(), IDOK);
        }
    }
    EXPECT_TRUE(frontend.messages.empty());
}

struct StRefusalCase {
    const char* pszTitle;
    std::string strPath;
    std::vector<int> answers;           // to the questions, in order
    std::vector<std::string> messages;  // every box shown, in order
};

class ConditionsDlgRefusalTest : public ConditionsDlgTest, public ::testing::WithParamInterface<StRefusalCase> {};

TEST_P(ConditionsDlgRefusalTest, LeavesTheDialogOpenWithThePathSelected) {
    const StRefusalCase& c = GetParam();
    home.MakeDir("drive_c/out/folder.xml");
    home.WriteFile("drive_c/out/exists.xml", "old");
    home.WriteFile("drive_c/out/file", "in the way");
    auto dialog = Open();
    view.SetControlText(IDC_EDT_OUTPUT, c.strPath);
    view.SetFocusTo(IDOK);
    frontend.answers.assign(c.answers.begin(), c.answers.end());

    dialog->OnOK();

    EXPECT_FALSE(view.Ended());
    EXPECT_EQ(view.Focus(), IDC_EDT_OUTPUT);
    EXPECT_EQ(view.Selected(), IDC_EDT_OUTPUT);
    EXPECT_EQ(dialog->GetCategory(), 1);
    EXPECT_TRUE(frontend.answers.empty());
    ASSERT_EQ(frontend.messages.size(), c.messages.size());
    for (size_t i = 0; i < c.messages.size(); ++i) {
        EXPECT_EQ(frontend.messages[i].strText, c.messages[i]);
        EXPECT_EQ(frontend.messages[i].strCaption, kTitle);
        EXPECT_EQ(frontend.messages[i].hOwner, view.Handle());
        const bool question = c.messages[i].find("？") != std::string::npos;
        EXPECT_EQ(frontend.messages[i].nType, question ? MB_YESNO | MB_ICONQUESTION : MB_ICONWARNING);
    }
    EXPECT_EQ(home.ReadFile("drive_c/out/exists.xml"), "old");
    EXPECT_FALSE(home.Exists("drive_c/new"));
}

const char kNoPath[] = "データ出力先が指定されていません。\n\n出力先を指定してください。";
const char kTooLong[] = "出力先のパスが長すぎます。\n\n出力先を再入力してください。";
const char kInvalid[] = "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
const char kDrive[] = "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
const char kNoName[] = "ファイル名が指定されていません。";
const char kCreate[] = "指定されたフォルダは存在しません。\n\n作成してもよろしいですか？";
const char kCreateFailed[] = "フォルダの作成に失敗しました。\n\n出力先を再入力してください。";
const char kOverwrite[] = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";

INSTANTIATE_TEST_SUITE_P(
    Paths, ConditionsDlgRefusalTest,
    ::testing::Values(
        StRefusalCase{"empty", "", {}, {kNoPath}},
        StRefusalCase{"longer than the buffers", "C:\\" + std::string(258, 'a'), {}, {kTooLong}},
        StRefusalCase{"the default pattern", "C:\\BOK\\DATA\\*.xml", {}, {kInvalid}},
        StRefusalCase{"a comma", "C:\\out\\a,b.xml", {}, {kInvalid}},
        StRefusalCase{"a semicolon", "C:\\out\\a;b.xml", {}, {kInvalid}},
        StRefusalCase{"a doubled separator", "C:\\out\\\\a.xml", {}, {kInvalid}},
        StRefusalCase{"a control byte", "C:\\out\\a\tb.xml", {}, {kInvalid}},
        StRefusalCase{"a drive not in the table", "X:\\a.xml", {}, {kDrive}},
        StRefusalCase{"a CD-ROM drive", "Q:\\a.xml", {}, {kDrive}},
        StRefusalCase{"a read-only drive", "R:\\a.xml", {}, {kDrive}},
        StRefusalCase{"no drive at all", "a.xml", {}, {kDrive}},
        StRefusalCase{"a share that cannot be written", "\\\\SERVER\\roshare\\a.xml", {}, {kDrive}},
        StRefusalCase{"an unknown share", "\\\\OTHER\\share\\a.xml", {}, {kDrive}},
        StRefusalCase{"a share without a separator after it", "\\\\SERVER\\share", {}, {kDrive}},
        StRefusalCase{"a folder without a file name", "C:\\out\\", {}, {kNoName}},
        StRefusalCase{"an existing folder", "C:\\out\\folder.xml", {}, {kNoName}},
        StRefusalCase{"a missing folder, not to be created", "C:\\new\\a.xml", {IDNO}, {kCreate}},
        StRefusalCase{
            "a folder that cannot be created", "C:\\out\\file\\sub\\a.xml", {IDYES}, {kCreate, kCreateFailed}},
        StRefusalCase{"an existing file, not to be overwritten", "C:\\out\\exists.xml", {IDNO}, {kOverwrite}}),
    [](const ::testing::TestParamInfo<StRefusalCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(ConditionsDlgTest, AcceptsAPathThatPassesEveryCheck) {
    home.MakeDir("drive_c/out");
    home.WriteFile("drive_c/out/exists.xml", "old");
    struct {
        const char* pszTitle;
        const char* pszHostPath;
        std::string strPath;
        std::vector<int> answers;
        std::vector<std::string> messages;
        const char* pszCreated;  // below the home, or null
    } const cases[] = {
        {"a new file", nullptr, "C:\\out\\new.xml", {}, {}, nullptr},
        {"a path of 260 bytes", nullptr, "C:\\out\\" + std::string(249, 'a') + ".xml", {}, {}, nullptr},
        {"an existing file, overwritten", nullptr, "C:\\out\\exists.xml", {IDYES}, {kOverwrite}, nullptr},
        {"two new levels", nullptr, "C:\\out\\new1\\new2\\a.xml", {IDYES}, {kCreate}, "drive_c/out/new1/new2"},
        {"a share", nullptr, "\\\\SERVER\\share\\a.xml", {}, {}, nullptr},
        {"a new folder on a share", nullptr, "\\\\SERVER\\share\\d\\a.xml", {IDYES}, {kCreate}, "share/d"},
        {"a host path overwrites without asking", "C:\\out\\exists.xml", "C:\\out\\exists.xml", {}, {}, nullptr},
        {"a host path still asks for a folder",
         "C:\\host\\h.xml",
         "C:\\host\\h.xml",
         {IDYES},
         {kCreate},
         "drive_c/host"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszTitle);
        view = ClConditionsViewState();
        frontend.messages.clear();
        frontend.answers.assign(c.answers.begin(), c.answers.end());
        auto dialog = Open(c.pszHostPath);
        view.SetControlText(IDC_EDT_OUTPUT, c.strPath);
        dialog->OnOK();
        EXPECT_TRUE(view.Ended());
        EXPECT_EQ(view.Result(), IDOK);
        EXPECT_EQ(dialog->GetOutputPath(), c.strPath);
        ASSERT_EQ(frontend.messages.size(), c.messages.size());
        for (size_t i = 0; i < c.messages.size(); ++i) EXPECT_EQ(frontend.messages[i].strText, c.messages[i]);
        if (c.pszCreated) {
            EXPECT_TRUE(home.IsDir(c.pszCreated));
        }
        EXPECT_EQ(home.ReadFile("drive_c/out/exists.xml"), "old");  // the run writes it, not the dialog
    }
}

TEST_F(ConditionsDlgTest, TheCategoryIsTakenOnEveryPressTheLastCheckedWinning) {
    struct {
        bool bGeneral, bRealEstate, bBoth;
        short nCategory;
    } const cases[] = {
        {false, false, false, 0}, {true, false, false, 1}, {false, true, false, 2},
        {false, false, true, 3},  {true, true, false, 2},  {true, false, true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nCategory);
        auto dialog = Open();
        view.SetCheck(IDC_RAD_GENERAL, c.bGeneral);
        view.SetCheck(IDC_RAD_REALESTATE, c.bRealEstate);
        view.SetCheck(IDC_RAD_BOTH, c.bBoth);
        view.SetControlText(IDC_EDT_OUTPUT, "");  // refused: the category is set anyway
        dialog->OnOK();
        EXPECT_EQ(dialog->GetCategory(), c.nCategory);
    }
}

TEST_F(ConditionsDlgTest, CancelShowsTheNoticeAndEnds) {
    auto dialog = Open();
    dialog->OnCancel();
    ASSERT_EQ(frontend.messages.size(), 1u);
    // "｢" and "｣" are the single bytes 0xA2 and 0xA3.
    EXPECT_EQ(frontend.messages[0].strText, "\xa2所得税(減価償却)\xa3の集計を中止します。");
    EXPECT_EQ(frontend.messages[0].strCaption, kTitle);
    EXPECT_EQ(frontend.messages[0].nType, MB_ICONINFORMATION);
    EXPECT_EQ(frontend.messages[0].hOwner, view.Handle());
    EXPECT_TRUE(view.Ended());
    EXPECT_EQ(view.Result(), IDCANCEL);
}

TEST_F(ConditionsDlgTest, BrowseOpensTheSaveDialogAtThePathAndFocusesRun) {
    struct {
        std::string strPath;
        std::optional<std::string> answer;
        const char* pszDir;
        const char* pszName;
        std::string strAfter;
    } const cases[] = {
        {"C:\\out\\r.xml", "C:\\other\\chosen.XML", "C:\\out\\", "r.xml", "C:\\other\\chosen.XML"},
        {"C:\\out\\r.xml", std::nullopt, "C:\\out\\", "r.xml", "C:\\out\\r.xml"},
        {"C:r.xml", "C:\\x.xml", "C:", "r.xml", "C:\\x.xml"},
        {"r.xml", std::nullopt, "", "r.xml", "r.xml"},
        {"C:\\表\\表.xml", std::nullopt, "C:\\表\\", "表.xml", "C:\\表\\表.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strPath);
        frontend.browseCalls.clear();
        frontend.browseAnswer = c.answer;
        auto dialog = Open();
        view.SetControlText(IDC_EDT_OUTPUT, c.strPath);
        view.SetFocusTo(IDC_BTN_BROWSE);
        dialog->OnBrowse();
        ASSERT_EQ(frontend.browseCalls.size(), 1u);
        const StBrowseCall& call = frontend.browseCalls[0];
        EXPECT_EQ(call.strTitle, "保存ファイルを指定");
        EXPECT_EQ(call.strFilter, "Xml Files (*.xml)|*.xml||");
        EXPECT_EQ(call.strDefaultExt, "XML");
        EXPECT_EQ(call.strInitialDir, c.pszDir);
        EXPECT_EQ(call.strInitialName, c.pszName);
        EXPECT_EQ(view.GetControlText(IDC_EDT_OUTPUT), c.strAfter);
        EXPECT_EQ(dialog->GetOutputPath(), c.strAfter);
        EXPECT_EQ(view.Focus(), IDOK);
    }
}

TEST_F(ConditionsDlgTest, DoModalRunsOnTheFrontEnd) {
    const HWND parent = reinterpret_cast<HWND>(0x1234);
    HWND seen = nullptr;
    frontend.runConditions = [&](CConditionsDlg& dialog, HWND owner) {
        seen = owner;
        dialog.Attach(&view);
        dialog.OnInitDialog();
        dialog.OnCancel();
        dialog.Attach(nullptr);
        return IDCANCEL;
    };
    CConditionsDlg dialog(parent, &info, nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(seen, parent);
    EXPECT_EQ(frontend.runCount, 1);
    EXPECT_EQ(dialog.GetResult(), IDCANCEL);
}

TEST(ConditionsDlgNoFrontendTest, WithoutAFrontEndNothingRuns) {
    StDATAINFO info{};
    CConditionsDlg dialog(nullptr, &info, "C:\\x.xml");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_STREQ(dialog.m_szHostPath, "C:\\x.xml");
    EXPECT_EQ(dialog.GetCategory(), 0);
    EXPECT_EQ(dialog.GetOutputPath(), "");
}

TEST(ConditionsDlgNoFrontendTest, AHostPathLongerThanItsBufferIsCutOnACharacter) {
    StDATAINFO info{};
    std::string host = "C:\\";
    for (int i = 0; i < 200; ++i) host += "表";
    CConditionsDlg dialog(nullptr, &info, host.c_str());
    EXPECT_EQ(std::strlen(dialog.m_szHostPath), 259u);  // "C:\\" and 128 whole characters
    EXPECT_EQ(std::string(dialog.m_szHostPath), host.substr(0, 259));
}

}  // namespace
