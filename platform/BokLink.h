// BokLink: the connection of a linkage program to the accounting product.
#pragma once

#include "compat/win32.h"

class ClSysEnvMgr {
public:
    enum _AppType { AppType_Std = 0, AppType_Lite = 1, AppType_Net = 2, AppType_Pro = 3 };
};

class ClBokConnect {
public:
    static ClBokConnect* Inst();

    // Fields the linkage sets before Initiate / after the command line.
    const char* m_pszAppTitle = nullptr;
    HWND m_hOwnerWnd = nullptr;

    void SetAppType(ClSysEnvMgr::_AppType type);
    void SetUseDataType(int type);
    // 0: connected to the platform home's database.
    long Initiate();
    // 0: the link may run; 1 (or another value): refused.
    long ExpSysLink();
    // Shows text in the product's style (ES_APRPACKAGENAME becomes the
    // installed package's name) and returns the button pressed.
    int DispMsg(HWND owner, const char* text, const char* title, UINT style);
    long LogOut();
    long Terminate();
    void Release();

    ClSysEnvMgr::_AppType GetAppType() const { return m_eAppType; }
    bool IsConnected() const { return m_bConnected; }

private:
    ClSysEnvMgr::_AppType m_eAppType = ClSysEnvMgr::AppType_Std;
    int m_nUseDataType = 0;
    bool m_bConnected = false;
};
