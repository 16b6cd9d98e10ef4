// The accounting product's support-information file, "SUPPORT.INF" in the
// current directory: the product name and version for the report.
//
// The file is optional and read at most once per reader.  Only its first
// 30000 bytes count; a value runs from its "[=name=]" key to the end of
// that line.
#pragma once

#include <cstddef>

#include "compat/win32.h"

class ClSupportInfo {
public:
    ClSupportInfo() = default;
    virtual ~ClSupportInfo();
    ClSupportInfo(const ClSupportInfo&) = delete;
    ClSupportInfo& operator=(const ClSupportInfo&) = delete;

    // 1 when the file has been read, now or before, or found absent before;
    // 0 when it is absent now or the memory block cannot be had (then with
    // a message, and the next call tries again).
    int Load();

    // The value after the key, or "" when there is none.  The text lives in
    // the reader's buffer and is valid while the reader lives.
    const char* GetProductName();
    const char* GetProductVersion();

    static constexpr size_t BUFFER_SIZE = 30000;

private:
    const char* FindValue(const char* key, size_t keyLength);

    HGLOBAL m_hMemory = nullptr;
    char* m_pData = nullptr;
};
