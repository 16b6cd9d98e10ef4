// Extraction and schedule of large stores: time and peak memory per size.
//
// Each size gets a store of its own, built in one child process; a second,
// fresh child then runs Extract and MakeSchedule over it exactly as the
// application does, so that its peak resident size belongs to that work
// alone.  Cost should grow linearly with the number of assets.
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <time.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "deprec/ClGenkashokyakuProc.h"
#include "platform/BokAdmin.h"
#include "platform/BokBCore.h"
#include "platform/BokLink.h"

namespace {

const long kSizes[] = {25000, 50000, 100000};
// The cores are shared: the best of a few runs is the figure of the code.
const int kRuns = 3;

struct Figures {
    long lKept;
    long lLines;
    double dExtract;
    double dSeconds;
    long lRssBeforeKb;
};

// The sources are UTF-8, the store's import text too; narrow literals are
// code page 932, so the import text is spelt in u8 literals.
const char* U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

double Now() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long PeakRssKb() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A company whose assets run through every method, both categories,
// equal instalments, disposals and remarks, so that every field step works.
std::string StoreText(long lAssets) {
    std::string text =
        U8(u8"[data]\nid = BENCH\nnumber = 1\nname = 性能測定\nperiod = 20240101 20241231\nbusiness = 3\n"
           u8"[user]\nid = U1\nselected = 1\n"
           u8"[era]\nstart = 19890108\nname = 平成\n[era]\nstart = 20190501\nname = 令和\n");
    text.reserve(text.size() + static_cast<size_t>(lAssets) * 260);
    char szAsset[512];
    for (long i = 0; i < lAssets; ++i) {
        int nMethod = static_cast<int>(i % 8) + 1;
        long lAcquired = nMethod == 7 ? 20240105 + (i % 20) : 20150101 + (i % 9) * 10000 + (i % 12) * 100;
        std::snprintf(szAsset, sizeof szAsset,
                      U8(u8"[asset]\nname = 資産%ld号機\nquantity = %ld台\nremarks = %s\nacquired = %ld\n"
                         u8"cost = %ld.5\nopening = %ld\nmethod = %d\nlife = %ld\nrate = %ld\nratio = %ld\n"
                         u8"category = %ld\nequal = %d\nordinary = %ld\nexpenses = %ld\nrevised = %ld\n"),
                      i, i % 100 + 1, i % 3 == 0 ? U8(u8"工場内設置・定期点検済み") : "", lAcquired, 100000 + i * 7,
                      i % 5 == 0 ? 0 : 50000 + i % 1000, nMethod, i % 50 + 2, 100 + i % 400, 5000 + i % 5001, i % 2 + 1,
                      i % 11 == 0 ? 1 : 0, 1000 + i % 777, 900 + i % 555, 60000 + i);
        text += szAsset;
    }
    return text;
}

bool BuildStore(const std::string& strHome, long lAssets) {
    bok::AdminError error;
    if (!bok::CreateStore(strHome, &error) || !bok::ImportText(strHome, StoreText(lAssets), &error)) {
        std::fprintf(stderr, "store of %ld assets: line %d %s: %s\n", lAssets, error.line, error.field.c_str(),
                     error.message.c_str());
        return false;
    }
    return true;
}

Figures Run() {
    Figures figures = {};
    figures.lRssBeforeKb = PeakRssKb();

    StDATAINFO data;
    std::memset(&data, 0, sizeof data);
    std::snprintf(data.szDataID, sizeof data.szDataID, "%s", "BENCH");
    data.nDataNo = 1;
    data.nKikanFrom = 20240101;
    data.nKikanTo = 20241231;
    data.nJigyoKubun = 3;

    SisanRecList listAssets;
    SisanDataList listOutput;
    // Connected, as the application is when it runs: the platform then
    // reads one state of the store for the whole run.
    if (ClBokConnect::Inst()->Initiate() != 0) {
        std::fprintf(stderr, "cannot connect to the platform\n");
        figures.lKept = -1;
        return figures;
    }
    double dStart = Now();
    {
        ClGenkashokyakuProc proc;
        int nExtracted = proc.Extract(listAssets, &data, 3);
        figures.dExtract = Now() - dStart;
        if (nExtracted == 0 || proc.MakeSchedule(listAssets, listOutput, &data) == 0) {
            std::fprintf(stderr, "the run failed\n");
            figures.lKept = -1;
        }
    }
    figures.dSeconds = Now() - dStart;
    ClBokConnect::Inst()->Terminate();
    ClBokConnect::Inst()->Release();
    if (figures.lKept == 0) figures.lKept = static_cast<long>(listAssets.size());
    figures.lLines = static_cast<long>(listOutput.size());
    for (StSISANREC* p : listAssets) delete p;
    for (StSISANDATA* p : listOutput) delete p;
    return figures;
}

// Runs work in a child and waits for it; false when it failed.
template <class Work>
bool InChild(Work work, struct rusage* pUsage) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) _exit(work() ? 0 : 1);
    int nStatus = 0;
    if (wait4(pid, &nStatus, 0, pUsage) != pid) return false;
    return WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0;
}

}  // namespace

int main() {
    char szTemplate[] = "/tmp/bench-deprec-XXXXXX";
    if (mkdtemp(szTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string strRoot = szTemplate;

    std::printf("%8s %8s %8s %10s %10s %10s %10s %12s %14s\n", "assets", "kept", "lines", "extract s", "schedule s",
                "total s", "us/asset", "peak RSS kB", "RSS growth kB");
    int nResult = 0;
    for (long lAssets : kSizes) {
        std::string strHome = strRoot + "/" + std::to_string(lAssets);
        struct rusage usage;
        if (!InChild([&] { return BuildStore(strHome, lAssets); }, &usage)) {
            nResult = 1;
            break;
        }
        // The figures come back through a pipe; the child's peak memory
        // through wait4.
        Figures best = {};
        long lPeakKb = 0;
        bool bOk = true;
        for (int nRun = 0; bOk && nRun < kRuns; ++nRun) {
            int fds[2];
            if (pipe(fds) != 0) {
                bOk = false;
                break;
            }
            bOk = InChild(
                [&] {
                    setenv("BOK_HOME", strHome.c_str(), 1);
                    Figures figures = Run();
                    bool bWritten = write(fds[1], &figures, sizeof figures) == static_cast<ssize_t>(sizeof figures);
                    return bWritten && figures.lKept >= 0;
                },
                &usage);
            Figures figures = {};
            bOk = bOk && read(fds[0], &figures, sizeof figures) == static_cast<ssize_t>(sizeof figures);
            close(fds[0]);
            close(fds[1]);
            if (nRun == 0 || figures.dSeconds < best.dSeconds) best = figures;
            if (usage.ru_maxrss > lPeakKb) lPeakKb = usage.ru_maxrss;
        }
        if (!bOk) {
            nResult = 1;
            break;
        }
        std::printf("%8ld %8ld %8ld %10.3f %10.3f %10.3f %10.2f %12ld %14ld\n", lAssets, best.lKept, best.lLines,
                    best.dExtract, best.dSeconds - best.dExtract, best.dSeconds,
                    best.dSeconds * 1e6 / static_cast<double>(lAssets), lPeakKb, lPeakKb - best.lRssBeforeKb);
    }
    std::error_code ignored;
    std::filesystem::remove_all(strRoot, ignored);
    return nResult;
}
