#include "ui/ConditionsViewState.h"

#include "ui/DialogResources.h"

#include <algorithm>
#include <iterator>

namespace {

const StControlState g_NoControl{};

}  // namespace

ClConditionsViewState::ClConditionsViewState() {
    for (const StDlgItem& item : g_dlgConditions) m_mapControls[item.nId].strText = item.pszText;
}

HWND ClConditionsViewState::Handle() { return reinterpret_cast<HWND>(this); }

void ClConditionsViewState::SetControlText(int id, const std::string& text) { m_mapControls[id].strText = text; }

std::string ClConditionsViewState::GetControlText(int id) { return Control(id).strText; }

void ClConditionsViewState::EnableControl(int id, bool enable) {
    m_mapControls[id].bEnabled = enable;
    // A disabled control cannot keep the focus; the dialog manager gives it
    // to the first tab stop left.
    if (!enable && m_nFocus == id) {
        const std::vector<int> stops = TabStops();
        m_nFocus = stops.empty() ? 0 : stops.front();
    }
}

bool ClConditionsViewState::IsControlEnabled(int id) { return Control(id).bEnabled; }

void ClConditionsViewState::SetCheck(int id, bool checked) { m_mapControls[id].bChecked = checked; }

bool ClConditionsViewState::GetCheck(int id) { return Control(id).bChecked; }

void ClConditionsViewState::SetTextLimit(int id, int bytes) { m_mapControls[id].nTextLimit = bytes; }

void ClConditionsViewState::SetFocusTo(int id) { m_nFocus = id; }

void ClConditionsViewState::SelectAllAndScroll(int id) { m_nSelected = id; }

void ClConditionsViewState::NextDlgCtl() {
    const std::vector<int> stops = TabStops();
    if (stops.empty()) return;
    // A radio button with the focus stands for its group's tab stop.
    auto isRadio = [](int id) { return id == IDC_RAD_GENERAL || id == IDC_RAD_REALESTATE || id == IDC_RAD_BOTH; };
    const auto it = std::find_if(stops.begin(), stops.end(),
                                 [&](int stop) { return stop == m_nFocus || (isRadio(stop) && isRadio(m_nFocus)); });
    m_nFocus = (it == stops.end() || std::next(it) == stops.end()) ? stops.front() : *std::next(it);
}

void ClConditionsViewState::EndDialog(int result) {
    m_bEnded = true;
    m_nResult = result;
}

const StControlState& ClConditionsViewState::Control(int id) const {
    const auto it = m_mapControls.find(id);
    return it == m_mapControls.end() ? g_NoControl : it->second;
}

std::vector<int> ClConditionsViewState::TabStops() const {
    std::vector<int> stops;
    int radio = 0;
    for (int id : {IDC_RAD_GENERAL, IDC_RAD_REALESTATE, IDC_RAD_BOTH})
        if (Control(id).bEnabled && (radio == 0 || Control(id).bChecked)) radio = id;
    if (radio != 0) stops.push_back(radio);
    for (int id : {IDC_EDT_OUTPUT, IDC_BTN_BROWSE, IDOK, IDCANCEL})
        if (Control(id).bEnabled) stops.push_back(id);
    return stops;
}

std::string ClConditionsViewState::WithoutAccessKey(const std::string& caption) {
    std::string text;
    for (size_t i = 0; i < caption.size(); ++i) {
        // "(&X)" goes whole; any other "&" marks the next character.  Neither
        // "(" nor "&" can be the second byte of a double-byte character.
        if (caption[i] == '(' && i + 3 < caption.size() && caption[i + 1] == '&' && caption[i + 3] == ')') {
            i += 3;
            continue;
        }
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                text += '&';
                ++i;
            }
            continue;
        }
        text += caption[i];
    }
    return text;
}
