// Writing the report of 100,000 assets, beside the machine's own rate for
// the same write(2) calls: one call per line, of the same sizes.
//
// The report's lines each go to the file in a call of their own, so the
// raw loop is the floor the writer can reach; the gap is the cost of
// building and escaping the lines.

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compat/drives.h"
#include "report/ClReportWriter.h"
#include "ui/ProgressDlg.h"

namespace {

constexpr int ASSET_COUNT = 100000;

struct Figures {
    double reportBytesPerSecond = 0;
    double rawBytesPerSecond = 0;
    uint64_t reportBytes = 0;
    size_t writeCalls = 0;
};
Figures g_figures;

std::string g_folder;
std::vector<uint16_t> g_lineSizes;  // of the report last written

// Fills a fixed field, keeping its terminator.
template <size_t N>
void Put(char (&field)[N], const char* text) {
    const size_t length = strnlen(text, N - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

// Made-up schedule lines of typical widths, a few needing escapes.
SisanDataList MakeAssets() {
    SisanDataList list;
    char text[64];
    for (int i = 0; i < ASSET_COUNT; ++i) {
        auto* record = new StSISANDATA();
        std::snprintf(text, sizeof text, i % 10 == 0 ? "R&D用 測定器 <%05d>" : "事務用パソコン %05d", i);
        Put(record->SISANMEI, text);
        Put(record->SUURYO, "1");
        Put(record->SUURYOTANI, "台");
        Put(record->SYUTOKUNENGETU_GENGO, "令和");
        std::snprintf(text, sizeof text, "%d", 1 + i % 6);
        Put(record->SYUTOKUNENGETU_NEN, text);
        std::snprintf(text, sizeof text, "%d", 1 + i % 12);
        Put(record->SYUTOKUNENGETU_TUKI, text);
        std::snprintf(text, sizeof text, "%d", 100000 + i * 37);
        Put(record->SYUTOKUKINGAKU, text);
        Put(record->SYOUKYAKUHOSYOUGAKU, "");
        Put(record->KISYUTYOUBOKAKAKU, text);
        Put(record->SYOUKYAKUKISOKINGAKU, text);
        Put(record->SYOUKYAKUHOUHOU, "1");
        Put(record->SYOUKYAKUMEI, "定額");
        Put(record->TAIYOUNENSU, "4");
        Put(record->SYOUKYAKURITU, "0.250");
        Put(record->SYOUKYAKUKIKAN, "12");
        Put(record->CHOUSEIMAESYOUKYAKUGAKU, "25000");
        Put(record->FUTUUSYOUKYAKUHI, "25000");
        Put(record->JIGYOUSENYUWARIAI, "100");
        Put(record->HITUYOUKEIHISANNYUUGAKU, "25000");
        Put(record->MISYOUKYAKUZANDAKA, "75000");
        Put(record->TEKIYOU_JYOUDAN, "");
        Put(record->TEKIYOU_GEDAN, "");
        list.push_back(record);
    }
    return list;
}

StDATAINFO MakeData() {
    StDATAINFO data;
    std::memset(&data, 0, sizeof data);
    Put(data.szJigyoName, "山田商事");
    data.nKikanFrom = 20240101;
    data.nKikanTo = 20241231;
    return data;
}

// The sizes of the report's lines, for the raw loop to repeat.
void RememberLineSizes(const std::string& path) {
    g_lineSizes.clear();
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) g_lineSizes.push_back(static_cast<uint16_t>(line.size() + 1));
}

void BM_WriteReport(benchmark::State& state) {
    SisanDataList assets = MakeAssets();
    StDATAINFO data = MakeData();
    const std::string host = g_folder + "/report.xml";
    const std::string windows = compat::ToWindowsPath(host);
    for (auto _ : state) {
        CProgressDlg progress;
        ClReportWriter writer;
        writer.SetProgressDlg(&progress);
        writer.SetAssetList(&assets);
        writer.SetProgressBase(400);
        if (writer.WriteReport(windows.c_str(), 3, &data) != 1) {
            state.SkipWithError("the report could not be written");
            break;
        }
    }
    const uint64_t bytes = std::filesystem::file_size(host);
    RememberLineSizes(host);
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    state.counters["bytes_per_second"] =
        benchmark::Counter(static_cast<double>(bytes * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["write_calls"] = static_cast<double>(g_lineSizes.size());
    g_figures.reportBytes = bytes;
    g_figures.writeCalls = g_lineSizes.size();
    for (StSISANDATA* record : assets) delete record;
}

void BM_RawWrites(benchmark::State& state) {
    if (g_lineSizes.empty()) {
        state.SkipWithError("no report to repeat");
        return;
    }
    char line[512];
    std::memset(line, 'x', sizeof line);
    const std::string host = g_folder + "/raw.xml";
    uint64_t bytes = 0;
    for (auto _ : state) {
        int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            state.SkipWithError("the file could not be created");
            break;
        }
        bytes = 0;
        for (uint16_t size : g_lineSizes) {
            if (write(fd, line, size) != size) break;
            bytes += size;
        }
        close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    state.counters["bytes_per_second"] =
        benchmark::Counter(static_cast<double>(bytes * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["write_calls"] = static_cast<double>(g_lineSizes.size());
}

// Keeps the figures of the two runs for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end()) continue;
            if (run.run_name.function_name == "BM_WriteReport") g_figures.reportBytesPerSecond = it->second;
            if (run.run_name.function_name == "BM_RawWrites") g_figures.rawBytesPerSecond = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

BENCHMARK(BM_WriteReport)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_RawWrites)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/bench-report-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    g_folder = pattern;

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);

    const double mib = 1024.0 * 1024.0;
    std::printf("\nreport of %d assets: %.1f MiB in %zu write calls\n", ASSET_COUNT,
                static_cast<double>(g_figures.reportBytes) / mib, g_figures.writeCalls);
    std::printf("report writer:       %8.1f MiB/s\n", g_figures.reportBytesPerSecond / mib);
    std::printf("raw write(2) loop:   %8.1f MiB/s\n", g_figures.rawBytesPerSecond / mib);
    if (g_figures.rawBytesPerSecond > 0)
        std::printf("writer / raw:        %8.2f\n", g_figures.reportBytesPerSecond / g_figures.rawBytesPerSecond);
    std::printf("peak memory (ru_maxrss): %.1f MiB\n", static_cast<double>(PeakKiB()) / 1024.0);
    return 0;
}
