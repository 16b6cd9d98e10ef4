// The whole report over any bytes: the input is the selected data's record,
// then schedule lines of 272 bytes each (every one ending at a guard page,
// so that reading a field past its record faults), then what SUPPORT.INF
// holds.  Every report the writer calls written is well-formed for a reader
// of code page 932 and carries one SISAN per line.

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "compat/drives.h"
#include "deprec/SisanRecords.h"
#include "report/ClReportWriter.h"

namespace {

// The schedule lines the fuzzer chooses, each at the end of its own
// guarded buffer.
constexpr size_t kMaxLines = 16;

int CountElements(xmlNodePtr node, const char* name) {
    int count = 0;
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        if (std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0) ++count;
        count += CountElements(node->children, name);
    }
    return count;
}

}  // namespace

void fuzz::FuzzOne(const std::string& testCase) {
    const std::string home = fuzz::Home("report");
    // SUPPORT.INF is looked for in the current folder.
    if (chdir(home.c_str()) != 0) fuzz::Broken("chdir to the fuzz home", __FILE__, __LINE__);

    StDATAINFO data;
    std::memset(&data, 0, sizeof data);
    std::memcpy(&data, testCase.data(), std::min(testCase.size(), sizeof data));
    size_t at = std::min(testCase.size(), sizeof data);

    std::vector<std::unique_ptr<fuzz::GuardedBuffer>> buffers;
    SisanDataList lines;
    while (lines.size() < kMaxLines && testCase.size() - at >= sizeof(StSISANDATA)) {
        buffers.push_back(std::make_unique<fuzz::GuardedBuffer>(sizeof(StSISANDATA)));
        std::memcpy(buffers.back()->Data(), testCase.data() + at, sizeof(StSISANDATA));
        lines.push_back(reinterpret_cast<StSISANDATA*>(buffers.back()->Data()));
        at += sizeof(StSISANDATA);
    }
    const std::string supportInfo = testCase.substr(at);
    if (supportInfo.empty())
        std::remove("SUPPORT.INF");
    else
        fuzz::WriteFile(home + "/SUPPORT.INF", supportInfo);

    const std::string hostFile = home + "/report.xml";
    ClReportWriter writer;
    writer.SetAssetList(&lines);
    writer.SetProgressBase(400);
    if (writer.WriteReport(compat::ToWindowsPath(hostFile).c_str(), 3, &data) != 1) {
        // Only an unknown fraction handling stops a report of good lines.
        FUZZ_CHECK(data.nHasuuShokyaku > 2);
        return;
    }

    // The reader that the tests' xmllint uses, told the code page the
    // declaration's strict Shift_JIS table stands for.
    const std::string document = fuzz::ReadFile(hostFile);
    xmlDocPtr doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), "report.xml", "CP932",
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    FUZZ_CHECK(doc != nullptr);
    FUZZ_CHECK(CountElements(xmlDocGetRootElement(doc), "SISAN") == static_cast<int>(lines.size()));
    xmlFreeDoc(doc);
}
