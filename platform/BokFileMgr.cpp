#include "platform/BokFileMgr.h"

#include <cstring>

#include "compat/win32.h"
#include "platform/BokBCore.h"
#include "platform/Store.h"

using bok::detail::Statement;
using bok::detail::Store;

ClFileMgr* ClFileMgr::Inst() {
    static ClFileMgr manager;
    return &manager;
}

long ClFileMgr::GetAppFolderPath(int type, char* path) {
    if (path == nullptr) return BOK_ERR_BAD_ARGUMENT;
    std::memset(path, 0, MAX_PATH + 1);
    bok::detail::ReadScope read;
    // No fault can be set for this operation; the check only opens.
    if (const long status = read.Check(bok::detail::Operation::Count)) return status;

    Statement folder = Statement::Cached("SELECT path FROM folders WHERE type = ?1");
    folder.Bind(1, static_cast<int64_t>(type));
    const int step = folder.Step();
    if (step == SQLITE_DONE) return BOK_NO_MORE_RECORDS;
    if (step != SQLITE_ROW) return BOK_ERR_STORE_IO;
    folder.CopyBytes(0, path, MAX_PATH);
    return 0;
}
