#include "platform/BokLink.h"

#include <cstring>
#include <string>

#include "compat/mbcs.h"
#include "platform/BokBCore.h"
#include "platform/Sets.h"
#include "platform/Store.h"

using bok::detail::Operation;
using bok::detail::ReadScope;
using bok::detail::Store;

static constexpr const char kPackageNameToken[] = "ES_APRPACKAGENAME";
static constexpr const char kPackageName[] = "所得税のボルタ";

ClBokConnect* ClBokConnect::Inst() {
    static ClBokConnect connect;
    return &connect;
}

void ClBokConnect::SetAppType(ClSysEnvMgr::_AppType type) { m_eAppType = type; }

void ClBokConnect::SetUseDataType(int type) { m_nUseDataType = type; }

// A connected program reads the store as it was when it connected: one
// state from the selected data's record to its last asset, whatever an
// import does meanwhile (Store.h says how).
long ClBokConnect::Initiate() {
    m_bConnected = false;
    Store& store = Store::Inst();
    store.Unpin();
    const long status = store.Pin();
    if (status != 0) return status;
    long fault = 0;
    if (store.FindFault(Operation::Initiate, Store::kAnyIndex, &fault)) {
        store.Unpin();
        return fault;
    }
    m_bConnected = true;
    return 0;
}

long ClBokConnect::ExpSysLink() {
    ReadScope read;
    return read.Check(Operation::ExpSysLink);
}

// The token is replaced only where it starts a character: the same ASCII
// bytes may be the trail bytes of double-byte characters.
static std::string ReplacePackageName(const char* text) {
    std::string result;
    const size_t tokenLength = sizeof kPackageNameToken - 1;
    for (size_t i = 0; text[i] != '\0';) {
        if (std::strncmp(text + i, kPackageNameToken, tokenLength) == 0) {
            result += kPackageName;
            i += tokenLength;
        } else if (_ismbblead(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0') {
            result.append(text + i, 2);
            i += 2;
        } else {
            result += text[i++];
        }
    }
    return result;
}

int ClBokConnect::DispMsg(HWND owner, const char* text, const char* title, UINT style) {
    const std::string shown = ReplacePackageName(text != nullptr ? text : "");
    const char* caption = title != nullptr ? title : (m_pszAppTitle != nullptr ? m_pszAppTitle : "");
    return MessageBoxA(owner, shown.c_str(), caption, style);
}

long ClBokConnect::LogOut() { return 0; }

long ClBokConnect::Terminate() {
    m_bConnected = false;
    Store::Inst().Unpin();
    return 0;
}

void ClBokConnect::Release() {
    m_bConnected = false;
    Store::Inst().Unpin();
    Store::Inst().Close();
}

namespace bok::detail {
// Back to the state of a process that has not connected yet.
void ResetConnection() {
    ClBokConnect* connect = ClBokConnect::Inst();
    connect->m_pszAppTitle = nullptr;
    connect->m_hOwnerWnd = nullptr;
    connect->SetAppType(ClSysEnvMgr::AppType_Std);
    connect->SetUseDataType(0);
    connect->Terminate();
}
}  // namespace bok::detail
