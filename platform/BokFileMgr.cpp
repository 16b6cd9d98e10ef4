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
    const long status = Store::Inst().Open();
    if (status != 0) return status;

    Statement folder(Store::Inst().Db(), "SELECT path FROM folders WHERE type = ?1");
    folder.Bind(1, static_cast<int64_t>(type));
    const int step = folder.Step();
    if (step == SQLITE_DONE) return BOK_NO_MORE_RECORDS;
    if (step != SQLITE_ROW) return BOK_ERR_STORE_IO;
    bok::detail::CopyField(path, MAX_PATH, folder.Bytes(0));
    return 0;
}
