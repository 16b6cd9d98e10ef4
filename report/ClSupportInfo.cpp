#include "report/ClSupportInfo.h"

#include <cstring>

#include "compat/file.h"
#include "compat/msgbox.h"

namespace {

const char kFileName[] = "SUPPORT.INF";
// The version key matches only with its katakana half-width, as the
// product writes it.
const char kProductNameKey[] = "[=製品名=]";
const char kProductVersionKey[] = "[=製品ﾊﾞｰｼﾞｮﾝ=]";
static_assert(sizeof kProductNameKey - 1 == 10);
static_assert(sizeof kProductVersionKey - 1 == 15);

const char kOutOfMemory[] = "ﾒﾓﾘが不足しています。";

// Bytes not filled from the file; the first one ends the content.
constexpr unsigned char END_MARK = 0xFF;
constexpr unsigned char EOF_MARK = 0x1A;

}  // namespace

ClSupportInfo::~ClSupportInfo() {
    if (m_hMemory != nullptr) {
        GlobalUnlock(m_hMemory);
        GlobalFree(m_hMemory);
    }
}

int ClSupportInfo::Load() {
    if (m_hMemory != nullptr) return 1;

    // One byte beyond the file's share stays NUL, so that a value running
    // to the very end of the block still ends.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, BUFFER_SIZE + 1);
    if (memory == nullptr) {
        AfxMessageBox(kOutOfMemory, MB_OK);
        return 0;
    }
    char* data = static_cast<char*>(GlobalLock(memory));
    if (data == nullptr) {
        GlobalFree(memory);
        AfxMessageBox(kOutOfMemory, MB_OK);
        return 0;
    }
    m_hMemory = memory;
    m_pData = data;
    std::memset(m_pData, END_MARK, BUFFER_SIZE);
    m_pData[BUFFER_SIZE] = '\0';

    // An absent file leaves the block empty: later calls answer 1 and find
    // nothing, without looking for the file again.
    CFile file;
    if (!file.Open(kFileName, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) return 0;
    size_t filled = 0;
    try {
        while (filled < BUFFER_SIZE) {
            UINT got = file.Read(m_pData + filled, static_cast<UINT>(BUFFER_SIZE - filled));
            if (got == 0) break;
            filled += got;
        }
        file.Close();
    } catch (const CFileException&) {
        // A file that cannot be read whole counts as absent rather than
        // giving values from part of it.
        file.Abort();
        std::memset(m_pData, END_MARK, BUFFER_SIZE);
        return 0;
    }

    // Every line becomes a NUL-terminated text: CR LF pairs and the
    // end-of-file mark turn into NULs, and so does the end mark, so that
    // the last line ends where the content does.
    for (size_t i = 0; i < BUFFER_SIZE; ++i) {
        unsigned char c = static_cast<unsigned char>(m_pData[i]);
        if (c == '\r' && i + 1 < BUFFER_SIZE && m_pData[i + 1] == '\n') {
            m_pData[i] = '\0';
            m_pData[i + 1] = '\0';
            ++i;
        } else if (c == EOF_MARK || c == END_MARK) {
            m_pData[i] = '\0';
        }
    }
    return 1;
}

const char* ClSupportInfo::GetProductName() { return FindValue(kProductNameKey, sizeof kProductNameKey - 1); }

const char* ClSupportInfo::GetProductVersion() { return FindValue(kProductVersionKey, sizeof kProductVersionKey - 1); }

const char* ClSupportInfo::FindValue(const char* key, size_t keyLength) {
    if (Load() != 1) return "";
    for (size_t at = 0; at + keyLength <= BUFFER_SIZE; ++at) {
        if (std::memcmp(m_pData + at, key, keyLength) == 0) return m_pData + at + keyLength;
    }
    return "";
}
