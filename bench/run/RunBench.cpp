// The whole run, from `bokctl run` to the posted result, beside the floor of
// the machine for the same work.
//
// For each size a platform home gets a generated company (every method,
// both categories, disposals, small amounts).  The real program then runs
// through the host stand-in with the terminal front end, answering the
// conditions dialog as a user would.  In the same process the floors are
// measured on the same files: a bare SQLite read of every column of the
// company's asset rows, and a raw loop of the report's own per-line write(2)
// calls into the report's folder.  The floor is their sum; the ratio says
// how far the run is above it.  Every figure is the best of a few
// repetitions, since the cores are shared.
//
//     bench_run [N...]          the table (of 1,000, 10,000 and 100,000 assets)
//     bench_run --company N F   write the generated company of N assets to F
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/BokAdmin.h"

namespace fs = std::filesystem;

namespace {

const long kSizes[] = {1000, 10000, 100000};
const int kRepetitions = 5;
// The user's answers: general use only, the output file, F12.
const char kAnswers[] = "1\nC:\\Mildan\\Data\\bench.xml\nF12\n";

double Now() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

bool WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A home as `bokctl init` leaves it, with the drive table and folders of
// the sample and the generated company instead of the sample's.
bool MakeHomeHere(const fs::path& home, long assets) {
    std::error_code ec;
    fs::create_directories(home / "drive_c/Mildan/Data", ec);
    fs::create_directories(home / "drive_c/Mildan/Env", ec);
    if (ec || !WriteFile(home / "drives.conf", "C:  fixed  drive_c\n")) return false;
    bok::AdminError error;
    if (!bok::CreateStore(home.string(), &error) ||
        !bok::ImportText(home.string(), bok::GeneratedCompanyText(assets), &error)) {
        std::fprintf(stderr, "home of %ld assets: line %d %s: %s\n", assets, error.line, error.field.c_str(),
                     error.message.c_str());
        return false;
    }
    return true;
}

double CpuSeconds(const struct rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double SelfCpuSeconds() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

// The home is made in a child process: a child forked later to start a run
// counts this process's memory in its peak until it execs, so the memory
// the import leaves behind must not stay here.
bool MakeHome(const fs::path& home, long assets) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) _exit(MakeHomeHere(home, assets) ? 0 : 1);
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct RunFigures {
    bool ok = false;
    double seconds = 0;
    double cpu = 0;   // user and system time of bokctl and the program
    long peakKb = 0;  // of bokctl and the program it started, whichever is larger
};

fs::path ReportPath(const fs::path& home) { return home / "drive_c/Mildan/Data/bench.xml"; }

// bokctl run with the answers on its standard input and its output thrown
// away; the result must be 0.  The report of an earlier run goes first, so
// that no question of overwriting it comes up.
RunFigures RunProgram(const fs::path& home) {
    RunFigures figures;
    std::error_code ec;
    fs::remove(ReportPath(home), ec);
    int in[2];
    if (pipe(in) != 0) return figures;
    const double start = Now();
    const pid_t pid = fork();
    if (pid < 0) return figures;
    if (pid == 0) {
        dup2(in[0], 0);
        close(in[0]);
        close(in[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        setenv("DEPRLINK_FRONTEND", "terminal", 1);
        unsetenv("DISPLAY");
        const std::string homeArg = home.string();
        execl(BOKCTL_PATH, BOKCTL_PATH, "--home", homeArg.c_str(), "run", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    const bool written = write(in[1], kAnswers, sizeof kAnswers - 1) == static_cast<ssize_t>(sizeof kAnswers - 1);
    close(in[1]);
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) != pid) return figures;
    figures.seconds = Now() - start;
    figures.cpu = CpuSeconds(usage);
    figures.peakKb = usage.ru_maxrss;
    figures.ok = written && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

// Every column of every asset row of the company, in walk order, as a bare
// SQLite program reads them.  The number of rows, or -1.
long ScanAssets(const fs::path& home, double* seconds, double* cpu) {
    const double start = Now();
    const double startCpu = SelfCpuSeconds();
    sqlite3* db = nullptr;
    long rows = -1;
    if (sqlite3_open_v2((home / "bok.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT * FROM assets WHERE data_id = ?1 ORDER BY code, seq", -1, &statement,
                               nullptr) == SQLITE_OK) {
            sqlite3_bind_blob(statement, 1, "GEN01", 5, SQLITE_STATIC);
            rows = 0;
            int64_t sum = 0;
            const int columns = sqlite3_column_count(statement);
            while (sqlite3_step(statement) == SQLITE_ROW) {
                for (int column = 0; column < columns; ++column) {
                    if (sqlite3_column_type(statement, column) == SQLITE_BLOB)
                        sum += sqlite3_column_bytes(statement, column);
                    else
                        sum += sqlite3_column_int64(statement, column);
                }
                ++rows;
            }
            if (sum == 42) std::fputs("", stderr);  // keeps the reads
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(db);
    *seconds = Now() - start;
    *cpu = SelfCpuSeconds() - startCpu;
    return rows;
}

// The report's lines, each in one write(2) as the report writer makes it,
// into a new file in the report's folder.
bool WriteLines(const std::string& report, const fs::path& file, double* seconds, double* cpu, long* lineCount) {
    std::vector<std::pair<size_t, size_t>> lines;
    for (size_t begin = 0; begin < report.size();) {
        size_t end = report.find('\n', begin);
        end = end == std::string::npos ? report.size() : end + 1;
        lines.emplace_back(begin, end - begin);
        begin = end;
    }
    const double start = Now();
    const double startCpu = SelfCpuSeconds();
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    for (const auto& [begin, length] : lines)
        ok = ok && write(fd, report.data() + begin, length) == static_cast<ssize_t>(length);
    ok = close(fd) == 0 && ok;
    *seconds = Now() - start;
    *cpu = SelfCpuSeconds() - startCpu;
    *lineCount = static_cast<long>(lines.size());
    return ok;
}

template <class T>
void KeepBest(T* best, T value, bool first) {
    if (first || value < *best) *best = value;
}

int Table(const std::vector<long>& sizes) {
    char pattern[] = "/tmp/bench-run-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = pattern;
    int result = 0;

    // The program's base: a company without assets.
    RunFigures base;
    bool baseOk = MakeHome(root / "0", 0);
    {
        const fs::path home = root / "0";
        for (int i = 0; baseOk && i < kRepetitions; ++i) {
            const RunFigures run = RunProgram(home);
            if (!run.ok) {
                std::fprintf(stderr, "the run of the empty company failed\n");
                baseOk = false;
                break;
            }
            KeepBest(&base.seconds, run.seconds, i == 0);
            KeepBest(&base.cpu, run.cpu, i == 0);
            KeepBest(&base.peakKb, run.peakKb, i == 0);
        }
    }
    if (!baseOk) {
        std::error_code ec;
        fs::remove_all(root, ec);
        return 1;
    }
    const long baseKb = base.peakKb;
    std::printf("program base (a company without assets): %.3f s (CPU %.3f s), peak RSS %ld kB\n\n", base.seconds,
                base.cpu, baseKb);
    std::printf("wall time (and CPU time, user and system, in parentheses); per asset: above the base\n");
    std::printf("%7s %8s %6s %15s %15s %15s %15s %11s %15s %8s %8s %7s\n", "assets", "lines", "MB", "run s", "scan s",
                "write s", "floor s", "ratio", "us/asset", "peak kB", "above kB", "B/ast");

    for (long assets : sizes) {
        const fs::path home = root / std::to_string(assets);
        if (!MakeHome(home, assets)) {
            result = 1;
            break;
        }
        const fs::path report = ReportPath(home);
        const fs::path copy = home / "drive_c/Mildan/Data/floor.xml";
        RunFigures best;
        double scan = 0, writes = 0, scanCpu = 0, writeCpu = 0;
        long lines = 0, rows = 0;
        // One run first, so that every repetition finds the files cached.
        // All runs come before the report is read: a child forked from
        // this process counts this process's memory in its peak until it
        // execs, so the bench keeps no large buffer while it starts one.
        bool ok = RunProgram(home).ok;
        for (int i = 0; ok && i < kRepetitions; ++i) {
            const RunFigures run = RunProgram(home);
            ok = run.ok;
            KeepBest(&best.seconds, run.seconds, i == 0);
            KeepBest(&best.cpu, run.cpu, i == 0);
            KeepBest(&best.peakKb, run.peakKb, i == 0);
        }
        const std::string text = ok ? ReadFile(report) : std::string();
        for (int i = 0; ok && i < kRepetitions; ++i) {
            double seconds = 0, cpu = 0;
            rows = ScanAssets(home, &seconds, &cpu);
            ok = ok && rows == assets;
            KeepBest(&scan, seconds, i == 0);
            KeepBest(&scanCpu, cpu, i == 0);
            ok = ok && WriteLines(text, copy, &seconds, &cpu, &lines);
            KeepBest(&writes, seconds, i == 0);
            KeepBest(&writeCpu, cpu, i == 0);
        }
        if (!ok) {
            std::fprintf(stderr, "the run of %ld assets failed\n", assets);
            result = 1;
            break;
        }
        const double floor = scan + writes;
        const double floorCpu = scanCpu + writeCpu;
        const long aboveKb = best.peakKb - baseKb;
        const double perAsset = (best.seconds - base.seconds) * 1e6 / static_cast<double>(assets);
        const double perAssetCpu = (best.cpu - base.cpu) * 1e6 / static_cast<double>(assets);
        std::printf(
            "%7ld %8ld %6.1f %6.3f (%6.3f) %6.3f (%6.3f) %6.3f (%6.3f) %6.3f (%6.3f) %4.2f (%4.2f) %6.2f (%6.2f) "
            "%8ld %8ld %7.0f\n",
            assets, lines, static_cast<double>(text.size()) / 1e6, best.seconds, best.cpu, scan, scanCpu, writes,
            writeCpu, floor, floorCpu, best.seconds / floor, floorCpu > 0 ? best.cpu / floorCpu : 0.0, perAsset,
            perAssetCpu, best.peakKb, aboveKb, static_cast<double>(aboveKb) * 1024.0 / static_cast<double>(assets));
        std::fflush(stdout);
        std::error_code ec;
        fs::remove_all(home, ec);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--company") == 0) {
        const long assets = std::atol(argv[2]);
        return WriteFile(argv[3], bok::GeneratedCompanyText(assets)) ? 0 : 1;
    }
    std::vector<long> sizes(std::begin(kSizes), std::end(kSizes));
    if (argc > 1) sizes.clear();
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || size <= 0) {
            std::fprintf(stderr, "usage: bench_run [ASSETS...] | --company ASSETS FILE\n");
            return 2;
        }
        sizes.push_back(size);
    }
    return Table(sizes);
}
