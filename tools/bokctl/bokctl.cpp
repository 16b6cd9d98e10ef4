// bokctl: the administration tool of the accounting platform stand-in, and
// the host stand-in that starts a linkage program as the accounting product
// does.  Everything it prints is UTF-8.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "compat/drives.h"
#include "compat/mbcs.h"
#include "host.h"
#include "platform/BokAdmin.h"
#include "process.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNothingPosted = 99;

const char kUsage[] =
    "usage: bokctl [--home DIR] COMMAND ...\n"
    "\n"
    "The platform home is DIR, else $BOK_HOME, else $HOME/.bokhome.\n"
    "\n"
    "  init [--sample]            create the store (with --sample: the sample\n"
    "                             company, eras, user, folders and drive table)\n"
    "  import FILE                load a readable company data file (UTF-8)\n"
    "  fail OPERATION STATUS [--at N]\n"
    "                             make an operation answer STATUS, on every call\n"
    "                             or, for a walk, at record index N\n"
    "  fail --clear               remove every fault\n"
    "  show                       list data sets, users, eras, folders, faults\n"
    "  run [--pro] [--program PATH] [--window N] [--message N] [--function N]\n"
    "      [--no-host-args] [FIELD4]\n"
    "                             start the linkage program as the accounting\n"
    "                             product does, serve its host window, and exit\n"
    "                             with the result code it posts (99: none);\n"
    "                             on Windows the host is a real window, and\n"
    "                             --window (the Linux host's socket) is refused\n"
    "\n"
    "Operations for fail: Initiate ExpSysLink GetCurUserID GetSelectedNo\n"
    "GetDatCursor ReadyDat WalkDat GetBokPeriod GetPeriod Gengo.GetCursor\n"
    "Gengo.Ready Gengo.Walk MoveReady GetCount Move\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "bokctl: %s\n", message.c_str());
    return kExitUsage;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "bokctl: %s\n(bokctl --help for usage)\n", message.c_str());
    return kExitUsage;
}

bool ParseLong(const std::string& text, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    *value = parsed;
    return true;
}

// The linkage program: beside bokctl where both are installed, else where
// the build tree makes it.
std::string DefaultProgram(bool pro) {
    const std::string name = bokctl::ProgramFile(pro ? "DeprLinkPro" : "DeprLinkStd");
    const std::string beside = bokctl::SelfFolder() + "/" + name;
    std::string ignored;
    if (bokctl::Runnable(beside, &ignored)) return beside;
    return bokctl::SelfFolder() + "/../../app/" + name;
}

int Init(const std::vector<std::string>& args) {
    bool sample = false;
    for (const std::string& arg : args) {
        if (arg == "--sample")
            sample = true;
        else
            return UsageError("init: unexpected argument " + arg);
    }
    const std::string home = compat::PlatformHome();
    bok::AdminError error;
    if (!(sample ? bok::InitSample(home, &error) : bok::CreateStore(home, &error))) return Fail(error.message);
    std::printf("%s %s\n", sample ? "sample home ready:" : "store ready:", home.c_str());
    return 0;
}

int Import(const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError("import needs exactly one FILE");
    bok::AdminError error;
    if (!bok::ImportFile(compat::PlatformHome(), args[0], &error)) return Fail(args[0] + ": " + error.message);
    std::printf("imported %s\n", args[0].c_str());
    return 0;
}

int SetFault(const std::vector<std::string>& args) {
    const std::string home = compat::PlatformHome();
    bok::AdminError error;
    if (args.size() == 1 && args[0] == "--clear") {
        if (!bok::ClearFaults(home, &error)) return Fail(error.message);
        std::printf("faults cleared\n");
        return 0;
    }
    std::vector<std::string> positional;
    long atIndex = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--at") {
            if (i + 1 >= args.size() || !ParseLong(args[i + 1], &atIndex)) return UsageError("--at needs a number");
            ++i;
        } else {
            positional.push_back(args[i]);
        }
    }
    long status = 0;
    if (positional.size() != 2) return UsageError("fail needs OPERATION STATUS [--at N], or --clear");
    if (!ParseLong(positional[1], &status)) return UsageError("fail: STATUS must be a number: " + positional[1]);
    if (!bok::SetFault(home, positional[0], status, atIndex, &error)) return Fail(error.message);
    if (atIndex < 0)
        std::printf("%s answers %ld on every call\n", positional[0].c_str(), status);
    else
        std::printf("%s answers %ld at index %ld\n", positional[0].c_str(), status, atIndex);
    return 0;
}

int Show(const std::vector<std::string>& args) {
    if (!args.empty()) return UsageError("show takes no arguments");
    const std::string home = compat::PlatformHome();
    std::string listing;
    bok::AdminError error;
    if (!bok::DescribeStore(home, &listing, &error)) return Fail(error.message);
    std::printf("home: %s\n%s", home.c_str(), listing.c_str());
    return 0;
}

using bokctl::HostLog;
using bokctl::HostPost;
using bokctl::RunOptions;

// Empty when the arguments are good, else what is wrong with them.
std::string ParseRunOptions(const std::vector<std::string>& args, RunOptions& options) {
    const struct {
        const char* pszName;
        long* pValue;
        bool bPositive;
    } numbers[] = {
        {"--window", &options.window, true},
        {"--message", &options.message, false},
        {"--function", &options.function, false},
    };
    bool haveField4 = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool haveNext = i + 1 < args.size();
        const auto number = std::find_if(std::begin(numbers), std::end(numbers),
                                         [&arg](const auto& option) { return arg == option.pszName; });
        if (number != std::end(numbers)) {
            if (!haveNext || !ParseLong(args[++i], number->pValue) || (number->bPositive && *number->pValue <= 0))
                return arg + (number->bPositive ? " needs a positive number" : " needs a number");
            if (number->pValue == &options.window) options.bWindowGiven = true;
        } else if (arg == "--pro") {
            options.bPro = true;
        } else if (arg == "--no-host-args") {
            options.bHostArgs = false;
        } else if (arg == "--program") {
            if (!haveNext) return "--program needs a PATH";
            options.program = args[++i];
        } else if (arg.rfind("--", 0) == 0 && !(arg == "--" && haveNext && !haveField4)) {
            return "run: unknown option " + arg;
        } else if (haveField4) {
            return "run takes one FIELD4, got another: " + arg;
        } else {
            options.field4 = arg == "--" ? args[++i] : arg;
            haveField4 = true;
        }
    }
    return std::string();
}

int Run(const std::vector<std::string>& args) {
    RunOptions options;
    const std::string usage = ParseRunOptions(args, options);
    if (!usage.empty()) return UsageError(usage);
    if (options.program.empty()) options.program = DefaultProgram(options.bPro);
    const std::string& program = options.program;
    {
        std::string why;
        if (!bokctl::Runnable(program, &why)) return Fail(why);
    }

    // The program reads its command line in code page 932, as the typed
    // answers and the import file reach it; a path it cannot hold is
    // refused here rather than handed over as other characters.
    bool converted = false;
    options.field4 = compat::Utf8ToSjis(options.field4, &converted);
    if (!converted) return Fail("run: FIELD4 is not UTF-8 or has characters that code page 932 cannot hold");

    // A program started on a home without a store could only fail, and the
    // host window's socket would leave a folder behind in a home that is
    // not one.
    {
        std::string listing;
        bok::AdminError error;
        if (!bok::DescribeStore(compat::PlatformHome(), &listing, &error)) return Fail(error.message);
    }

    HostLog log;
    std::string error;
    if (!bokctl::RunWithHost(options, log, &error)) return Fail(error);

    std::printf("host disabled: %s\n", log.bDisabled ? "yes" : "no");
    std::printf("host re-enabled: %s\n", log.bReEnabled ? "yes" : "no");
    std::printf("progress dialog re-parented: %s\n", log.bReParented ? "yes" : "no");
    if (log.posts.empty()) {
        std::printf("posted: nothing\n");
        return kExitNothingPosted;
    }
    for (const HostPost& post : log.posts)
        std::printf("posted: message=%llu wParam=%llu lParam=%lld\n", post.message, post.wParam, post.lParam);
    return static_cast<int>(log.posts.back().lParam);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--home") {
            if (i + 1 >= argc) return UsageError("--home needs a DIR");
            // Set for the whole process, so that a program started by run
            // finds the same home.
            bokctl::SetEnvironment("BOK_HOME", bokctl::Absolute(argv[++i]));
            continue;
        }
        args.push_back(arg);
    }
    if (args.empty()) return UsageError("no command");

    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "init") return Init(args);
    if (command == "import") return Import(args);
    if (command == "fail") return SetFault(args);
    if (command == "show") return Show(args);
    if (command == "run") return Run(args);
    return UsageError("unknown command " + command);
}
