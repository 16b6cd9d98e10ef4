// The platform's shared objects, as the managers hand them out.  Internal
// to the platform.
#pragma once

#include "platform/BokBCore.h"

namespace bok::detail {

ClSetMgr* SharedSetMgr();
ClSetData* SharedSetData();
ClSetGengo* SharedSetGengo();
ClSysUser* SharedSysUser();

// Cursors opened and not released; ReleaseAllCursors frees them (their
// handles then answer BOK_ERR_BAD_ARGUMENT).
int LiveCursorCount();
void ReleaseAllCursors();

void ResetConnection();
void ResetMessages();

}  // namespace bok::detail
