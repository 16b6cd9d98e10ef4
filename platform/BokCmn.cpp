#include "platform/BokCmn.h"

#include "platform/Sets.h"
#include "platform/Store.h"

ClDataMgr* ClDataMgr::Inst() {
    static ClDataMgr manager;
    return &manager;
}

ClSetMgr* ClDataMgr::GetSetMgr() { return bok::detail::SharedSetMgr(); }

ClSetBase* ClDataMgr::GetSetObject(int kind, int flag) {
    if (bok::detail::Store::Inst().Open() != 0) return nullptr;
    return bok::detail::SharedSetMgr()->GetSetObject(kind, flag);
}

ClSysUser* ClDataMgr::GetSysUserObject() { return bok::detail::SharedSysUser(); }

ClLinkMgr* ClLinkMgr::Inst() {
    static ClLinkMgr manager;
    return &manager;
}

ClOptLink* ClLinkMgr::GetOptLink() {
    static ClOptLink optLink;
    return &optLink;
}
