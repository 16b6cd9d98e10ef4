#include "report/ClReportWriter.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "compat/mbcs.h"
#include "compat/win32.h"
#include "edition/Edition.h"
#include "report/ClSupportInfo.h"
#include "ui/ProgressDlg.h"

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";
const char kDefaultProductVersion[] = "19.00.0X";

constexpr size_t LINE_SIZE = 256;
constexpr size_t ROOT_LINE_SIZE = 512;
constexpr size_t VALUE_SIZE = 256;
// KOMONSAKINAME holds at most this many bytes of the converted name.
constexpr size_t FULL_WIDTH_LIMIT = 63;

// Copies a value into a section's fixed buffer.  A value that does not fit
// is refused rather than cut, since a cut name or version would be taken
// for the real one.
bool CopyValue(char (&buffer)[VALUE_SIZE], const char* value) {
    std::memset(buffer, 0, sizeof buffer);
    size_t length = strnlen(value, sizeof buffer);
    if (length >= sizeof buffer) return false;
    std::memcpy(buffer, value, length);
    return true;
}

// A SUPPORT.INF value as the SYSTEM line tag will carry it: the default
// when the file gives none, or one too long for the line, since one odd
// line in the product's file must not cost the whole report.
void SupportValue(char (&buffer)[VALUE_SIZE], const char* value, const char* tag, const char* fallback) {
    if (value[0] == '\0' || !CopyValue(buffer, value) || !ClXmlWriter::ElementFits(LINE_SIZE, tag, buffer, 2))
        CopyValue(buffer, fallback);
}

// The HASUU_SYOUKYAKU code of the data's fraction handling; 0 for a byte
// the tax product has no code for.
int FractionCode(uint8_t fraction) {
    switch (fraction) {
    case 0:
        return 3;  // round half up
    case 1:
        return 2;  // round up
    case 2:
        return 1;  // round down
    default:
        return 0;
    }
}

// The report reaches its path only whole.  It is written to a temporary
// file beside the target and renamed over it once the root end tag and the
// close have succeeded; a failed report takes its temporary file with it
// and leaves whatever was at the path before.  The target itself is held
// exclusively for the whole write: a file another process holds is left
// alone (the report then fails), and two runs never write into one file.
class ReportTarget {
public:
    ReportTarget() = default;
    ~ReportTarget() { m_claim.Abort(); }
    ReportTarget(const ReportTarget&) = delete;
    ReportTarget& operator=(const ReportTarget&) = delete;

    // The temporary file's name, or null when the target cannot be held.
    const char* Begin(const char* path) {
        if (path == nullptr) return nullptr;
        // A device cannot be replaced by a file; it gets the lines directly.
        CFileStatus status;
        if (CFile::GetStatus(path, status) && (status.m_attribute & CFile::device) != 0) {
            m_bDirect = true;
            return path;
        }
        m_strTarget = path;
        if (!TempNameFor(m_strTarget, m_strTemp)) return nullptr;
        CFileException error(CFileException::none, 0, std::string());
        const UINT hold = CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary;
        if (!m_claim.Open(path, hold, &error)) {
            if (error.m_cause != CFileException::fileNotFound) return nullptr;
            if (!m_claim.Open(path, hold | CFile::modeCreate | CFile::modeNoTruncate)) return nullptr;
            m_bCreated = true;
        }
        return m_strTemp.c_str();
    }

    // Puts the temporary file in place when the report is whole; otherwise
    // removes it (when this run made it) and the target this run created.
    // True when the target now holds the report.
    bool End(bool whole, bool tempOpened) {
        if (m_bDirect) return whole;
        if (!m_claim.IsOpen()) return false;
        // Windows replaces or removes no file that is open, this run's own
        // hold included: the target is let go of first.
        m_claim.Abort();
        if (whole) {
            try {
                CFile::Rename(m_strTemp.c_str(), m_strTarget.c_str());
                return true;
            } catch (const CFileException&) {}
        }
        if (tempOpened) RemoveQuietly(m_strTemp);
        if (m_bCreated) RemoveQuietly(m_strTarget);
        return false;
    }

private:
    // "<path>.tmp", or a short name in the same folder when that does not
    // fit a Windows path.
    static bool TempNameFor(const std::string& path, std::string& temp) {
        temp = path + kReportTempSuffix;
        if (temp.size() < MAX_PATH) return true;
        size_t folderEnd = 0;
        for (size_t i = 0; i < path.size(); ++i) {
            if (IsDbcsByte(path.c_str(), static_cast<int>(i))) continue;
            if (path[i] == '\\') folderEnd = i + 1;
        }
        temp = path.substr(0, folderEnd) + "~DeprLink.tmp";
        return temp.size() < MAX_PATH && temp != path;
    }

    static void RemoveQuietly(const std::string& name) {
        try {
            CFile::Remove(name.c_str());
        } catch (const CFileException&) {}
    }

    CFile m_claim;
    std::string m_strTarget;
    std::string m_strTemp;
    bool m_bCreated = false;
    bool m_bDirect = false;
};

ClReportWriter::FileFactory g_pFileFactory = nullptr;

std::unique_ptr<CFile> NewReportFile() {
    return g_pFileFactory != nullptr ? g_pFileFactory() : std::make_unique<CFile>();
}

}  // namespace

void ClReportWriter::SetFileFactory(FileFactory factory) { g_pFileFactory = factory; }

void ClReportWriter::Pulse() {
    if (m_pProgressDlg != nullptr) m_pProgressDlg->Pulse();
}

void ClReportWriter::Advance(int from, int to) {
    if (m_pProgressDlg != nullptr) m_pProgressDlg->Advance(static_cast<short>(from), static_cast<short>(to));
}

int ClReportWriter::WriteReport(const char* path, short functionId, StDATAINFO* dataInfo) {
    // The writer goes before the file object it borrows.
    const std::unique_ptr<CFile> file = NewReportFile();
    ClXmlWriter writer;
    char line[ROOT_LINE_SIZE] = {};

    // A file that cannot be created (or a target that cannot be held)
    // fails at the first line of SYSTEM.
    ReportTarget target;
    writer.Open(file.get(), target.Begin(path));
    const bool tempOpened = file->IsOpen();
    writer.WriteText(kDeclaration);
    writer.StartElement(line, "REPORT", 0);
    Pulse();

    int result = 0;
    if (WriteSystem(writer, functionId)) {
        Pulse();
        if (WriteBasic(writer, dataInfo)) {
            Pulse();
            if (WriteData(writer)) {
                Pulse();
                result = 1;
            }
        }
    }

    // Attempted whatever happened before; without it, or without a clean
    // close, the file is incomplete and must not be reported as written.
    if (writer.EndElement(line, "REPORT", 0) == 0) result = 0;
    if (writer.Close() != 0) result = 0;
    if (!target.End(result == 1, tempOpened)) result = 0;
    return result;
}

int ClReportWriter::WriteSystem(ClXmlWriter& writer, short functionId) {
    char line[LINE_SIZE] = {};
    char value[VALUE_SIZE] = {};

    if (!writer.StartElement(line, "SYSTEM", 1)) return 0;
    if (!writer.WriteElement(line, "GYOUMUPREFIX", "QZ14", 2)) return 0;
    Pulse();
    if (!writer.WriteElement(line, "VERSION", "1", 2)) return 0;
    Pulse();
    std::snprintf(value, sizeof value, "%d", static_cast<int>(functionId));
    if (!writer.WriteElement(line, "FUNCTIONID", value, 2)) return 0;
    Pulse();
    std::string version;
    LoadStringResource(IDS_VERSION, version);
    if (!writer.WriteElement(line, "CONNECTEDPROGRAMVER", version.c_str(), 2)) return 0;
    Pulse();

    // The reader's memory goes with the section, on every path out.
    ClSupportInfo supportInfo;
    char name[VALUE_SIZE];
    SupportValue(name, supportInfo.GetProductName(), "PROGRAMNAME", CurrentEdition().pszDefaultProductName);
    if (!writer.WriteElement(line, "PROGRAMNAME", name, 2)) return 0;
    Pulse();
    char productVersion[VALUE_SIZE];
    SupportValue(productVersion, supportInfo.GetProductVersion(), "PROGRAMVER", kDefaultProductVersion);
    if (!writer.WriteElement(line, "PROGRAMVER", productVersion, 2)) return 0;
    Pulse();

    if (!writer.EndElement(line, "SYSTEM", 1)) return 0;
    Advance(m_nProgressBase, m_nProgressBase + 100);
    return 1;
}

int ClReportWriter::WriteBasic(ClXmlWriter& writer, StDATAINFO* dataInfo) {
    if (dataInfo == nullptr) return 0;
    char line[LINE_SIZE] = {};
    char value[VALUE_SIZE] = {};

    if (!writer.StartElement(line, "BASIC", 1)) return 0;
    // The record's name field need not hold its terminator.
    char businessName[sizeof dataInfo->szJigyoName + 1] = {};
    std::memcpy(businessName, dataInfo->szJigyoName, strnlen(dataInfo->szJigyoName, sizeof dataInfo->szJigyoName));
    if (!writer.WriteElement(line, "KOMONSAKINAME", ToFullWidth(businessName), 2)) return 0;
    Pulse();
    std::snprintf(value, sizeof value, "%d", static_cast<int>(dataInfo->nKikanFrom));
    if (!writer.WriteElement(line, "JIGYOUNENDOFROM", value, 2)) return 0;
    Pulse();
    std::snprintf(value, sizeof value, "%d", static_cast<int>(dataInfo->nKikanTo));
    if (!writer.WriteElement(line, "JIGYOUNENDOTO", value, 2)) return 0;
    Pulse();
    int code = FractionCode(dataInfo->nHasuuShokyaku);
    if (code == 0) return 0;
    std::snprintf(value, sizeof value, "%d", code);
    if (!writer.WriteElement(line, "HASUU_SYOUKYAKU", value, 2)) return 0;
    Pulse();
    if (!writer.WriteElement(line, "HASUU_ZANZON", "1", 2)) return 0;
    Pulse();
    if (!writer.EndElement(line, "BASIC", 1)) return 0;
    Advance(m_nProgressBase + 100, m_nProgressBase + 200);
    return 1;
}

int ClReportWriter::WriteData(ClXmlWriter& writer) {
    char line[LINE_SIZE] = {};
    char count[64] = {};

    if (!writer.StartElement(line, "DATA", 1)) return 0;
    if (m_pListOutput != nullptr) {
        int index = 0;
        for (const StSISANDATA* record : *m_pListOutput) {
            if (record == nullptr) return 0;
            std::snprintf(count, sizeof count, "%d", ++index);
            if (!writer.StartElement(line, "SISAN", 2, "Count", count)) return 0;
            const char* bytes = reinterpret_cast<const char*>(record);
            for (const SisanFieldInfo& field : g_SisanDataFields) {
                // A field that lost its terminator ends at its width.
                char text[64] = {};
                std::memcpy(text, bytes + field.offset, strnlen(bytes + field.offset, field.width));
                if (!writer.WriteElement(line, field.name, text, 3)) return 0;
            }
            if (!writer.EndElement(line, "SISAN", 2)) return 0;
            Pulse();
        }
    }
    if (!writer.EndElement(line, "DATA", 1)) return 0;
    Advance(m_nProgressBase + 200, m_nProgressBase + 300);
    return 1;
}

const char* ClReportWriter::ToFullWidth(const char* text) {
    static char s_szResult[128];
    char work[64] = {};
    if (text == nullptr) text = "";

    // Every byte maps to at most two, so twice the length with room for
    // the terminator always holds the conversion.
    const size_t length = std::strlen(text);
    std::vector<char> converted(2 * (length + 1), '\0');
    const int written = LCMapStringA(GetSystemDefaultLCID(), LCMAP_FULLWIDTH, text, -1, converted.data(),
                                     static_cast<int>(converted.size()));
    if (written <= 0) converted[0] = '\0';
    converted.back() = '\0';

    // Whole characters from the front while they fit: a name of up to 30
    // bytes always passes whole, and a double-byte character is never cut.
    size_t kept = 0;
    for (size_t i = 0; converted[i] != '\0';) {
        const unsigned char c = static_cast<unsigned char>(converted[i]);
        const unsigned char next = static_cast<unsigned char>(converted[i + 1]);
        const size_t width = _ismbblead(c) && _ismbbtrail(next) ? 2 : 1;
        if (i + width > FULL_WIDTH_LIMIT) break;
        i += width;
        kept = i;
    }
    std::memcpy(work, converted.data(), kept);

    std::memset(s_szResult, 0, sizeof s_szResult);
    std::memcpy(s_szResult, work, sizeof work);
    return s_szResult;
}
