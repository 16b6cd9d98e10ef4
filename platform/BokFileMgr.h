// BokFileMgr: the product's folders.
#pragma once

class ClFileMgr {
public:
    enum { APPFOLDER_DATA = 0, APPFOLDER_ENV = 1 };
    static ClFileMgr* Inst();
    // The application folder of a type as a Windows path (cp932) ending in
    // "\\", into a buffer of 261 bytes; empty when the type has none.
    long GetAppFolderPath(int type, char* path);
};
