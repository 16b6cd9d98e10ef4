#include "platform/BokMsgMgr.h"

#include <cstdio>

#include "platform/BokLink.h"
#include "platform/Sets.h"

ClMsgMgr* ClMsgMgr::Inst() {
    static ClMsgMgr manager;
    return &manager;
}

long ClMsgMgr::SetLastError(long code, const char* source, int line) {
    m_lLastError = code;
    if (code == 0) {
        m_strSource.clear();
        m_nLine = 0;
    } else {
        m_strSource = source != nullptr ? source : "";
        m_nLine = line;
    }
    return code;
}

int ClMsgMgr::CheckFatalErrorWithMsg(long status, int /*reserved*/, int show, HWND owner) {
    if (status >= 0) return 0;
    if (show != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "エラーが発生しました。(コード: %ld)", status);
        const char* title = ClBokConnect::Inst()->m_pszAppTitle;
        MessageBoxA(owner, text, title != nullptr ? title : "ミルダン", MB_ICONWARNING);
    }
    return 1;
}

namespace bok::detail {
void ResetMessages() { ClMsgMgr::Inst()->SetLastError(0, nullptr, 0); }
}  // namespace bok::detail
