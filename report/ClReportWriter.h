// The report file that the tax-return product imports: the declaration,
// REPORT, and in it SYSTEM (who produced the file), BASIC (the company data)
// and DATA (one SISAN element per schedule line).
#pragma once

#include <memory>

#include "deprec/SisanRecords.h"
#include "platform/records.h"
#include "report/ClXmlWriter.h"

class CProgressDlg;

// The suffix of the temporary file beside the report's path that the
// report is written to before it is renamed over the path.
constexpr char kReportTempSuffix[] = ".tmp";

class ClReportWriter {
public:
    ClReportWriter() = default;
    virtual ~ClReportWriter() = default;
    ClReportWriter(const ClReportWriter&) = delete;
    ClReportWriter& operator=(const ClReportWriter&) = delete;

    // Neither is owned.  Without a dialog nothing is shown; without a list
    // the DATA section is empty.
    void SetProgressDlg(CProgressDlg* dialog) { m_pProgressDlg = dialog; }
    void SetAssetList(const SisanDataList* list) { m_pListOutput = list; }
    // The three sections advance the main bar over three ranges of 100
    // from here.
    void SetProgressBase(short base) { m_nProgressBase = base; }

    // Writes the whole file.  1 only when every line, the root end tag
    // included, reached the file and it closed cleanly; 0 otherwise, the
    // path then holding what it held before (the report goes to a
    // temporary file beside it, renamed over it only when whole).
    int WriteReport(const char* path, short functionId, StDATAINFO* dataInfo);

    int WriteSystem(ClXmlWriter& writer, short functionId);
    int WriteBasic(ClXmlWriter& writer, StDATAINFO* dataInfo);
    int WriteData(ClXmlWriter& writer);

    // The business name in full-width characters, shortened to whole
    // characters within 63 bytes.  Returns a shared static buffer, valid
    // until the next call.
    static const char* ToFullWidth(const char* text);

    // Makes the file object that every later report is written through;
    // null goes back to a plain CFile.  Tests put in files that fail where
    // real media fail, such as a close refused by a network share or a
    // quota, which nothing on a local disk can be made to do.
    using FileFactory = std::unique_ptr<CFile> (*)();
    static void SetFileFactory(FileFactory factory);

private:
    void Pulse();
    void Advance(int from, int to);

    CProgressDlg* m_pProgressDlg = nullptr;
    const SisanDataList* m_pListOutput = nullptr;
    short m_nProgressBase = 0;
};
