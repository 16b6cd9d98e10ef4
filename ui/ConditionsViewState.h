// A conditions dialog without a window: the controls of dialog 130 as
// states (text, enabled, checked, text limit) and the focus, changed only
// by what CConditionsDlg tells its view.  The terminal front end draws from
// it; tests read it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/ConditionsDlg.h"

struct StControlState {
    std::string strText;  // cp932
    bool bEnabled = true;
    bool bChecked = false;
    int nTextLimit = 0;  // 0: none set
};

class ClConditionsViewState : public IConditionsView {
public:
    // The controls as dialog resource 130 creates them.
    ClConditionsViewState();

    HWND Handle() override;
    void SetControlText(int id, const std::string& text) override;
    std::string GetControlText(int id) override;
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) override;
    void SetCheck(int id, bool checked) override;
    bool GetCheck(int id) override;
    void SetTextLimit(int id, int bytes) override;
    void SetFocusTo(int id) override;
    void SelectAllAndScroll(int id) override;
    void NextDlgCtl() override;
    void EndDialog(int result) override;

    // The control's state; an id the dialog does not have answers a blank
    // state.
    const StControlState& Control(int id) const;
    int Focus() const { return m_nFocus; }
    // The control whose text was last selected whole (0: none yet).
    int Selected() const { return m_nSelected; }
    bool Ended() const { return m_bEnded; }
    int Result() const { return m_nResult; }

    // The caption without its access key: "参照(&D)..." gives "参照...".
    static std::string WithoutAccessKey(const std::string& caption);

private:
    // The tab stops in order, as the dialog manager walks them: the
    // checked radio stands for its group.
    std::vector<int> TabStops() const;

    std::map<int, StControlState> m_mapControls;
    int m_nFocus = IDC_RAD_GENERAL;
    int m_nSelected = 0;
    bool m_bEnded = false;
    int m_nResult = 0;
};
