// BokCmn: the data manager and the link manager.
#pragma once

#include "platform/BokBCore.h"

class ClOptLink {
public:
    virtual ~ClOptLink() = default;
};

class ClDataMgr {
public:
    static ClDataMgr* Inst();
    ClSetMgr* GetSetMgr();
    // 5 with 1: the company-data set (ClSetData); null when the store
    // cannot be opened.
    ClSetBase* GetSetObject(int kind, int flag);
    ClSysUser* GetSysUserObject();
};

class ClLinkMgr {
public:
    static ClLinkMgr* Inst();
    ClOptLink* GetOptLink();
};
