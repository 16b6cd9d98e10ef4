// BokMsgMgr: the platform's last error and its fatal-error check.
#pragma once

#include <string>

#include "compat/win32.h"

class ClMsgMgr {
public:
    static ClMsgMgr* Inst();

    // Records code with its source and line (code 0 clears) and returns code.
    long SetLastError(long code, const char* source, int line);
    long GetLastError() const { return m_lLastError; }
    const std::string& GetLastErrorSource() const { return m_strSource; }
    int GetLastErrorLine() const { return m_nLine; }

    // Non-zero when status is fatal; then, with show non-zero, the
    // platform's message is displayed.  Negative statuses are fatal; 0 and
    // the positive informational ones (5000 "no more records") are not.
    int CheckFatalErrorWithMsg(long status, int reserved, int show, HWND owner);

private:
    long m_lLastError = 0;
    std::string m_strSource;
    int m_nLine = 0;
};
