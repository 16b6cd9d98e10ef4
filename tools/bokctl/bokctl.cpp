// bokctl: the administration tool of the accounting platform stand-in, and
// the host stand-in that starts a linkage program as the accounting product
// does.  Everything it prints is UTF-8.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "compat/drives.h"
#include "compat/host.h"
#include "platform/BokAdmin.h"
#include "tools/bokctl/process.h"

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
    "                             with the result code it posts (99: none)\n"
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

int Init(const std::vector<std::string>& args) {
    bool sample = false;
    for (const std::string& arg : args) {
        if (arg == "--sample") sample = true;
        else return UsageError("init: unexpected argument " + arg);
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
    if (atIndex < 0) std::printf("%s answers %ld on every call\n", positional[0].c_str(), status);
    else std::printf("%s answers %ld at index %ld\n", positional[0].c_str(), status, atIndex);
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

// What the program did to its host window.
struct HostLog {
    std::mutex mutex;
    bool bDisabled = false;
    bool bReEnabled = false;
    struct Post {
        long message;
        long wParam;
        long lParam;
    };
    std::vector<Post> posts;

    bool Handle(const std::string& request) {
        std::istringstream words(request);
        std::string verb;
        words >> verb;
        std::lock_guard<std::mutex> lock(mutex);
        if (verb == "EnableWindow") {
            int enable = -1;
            words >> enable;
            if (enable == 0) {
                bDisabled = true;
                bReEnabled = false;
            } else if (enable == 1) {
                bReEnabled = bDisabled;
            } else {
                return false;
            }
            return true;
        }
        if (verb == "PostMessage") {
            Post post{};
            if (!(words >> post.message >> post.wParam >> post.lParam)) return false;
            posts.push_back(post);
            return true;
        }
        return verb == "SetForegroundWindow" || verb == "SetParent";
    }
};

int Run(const std::vector<std::string>& args) {
    bool pro = false, hostArgs = true, haveField4 = false;
    std::string program, field4;
    long window = bokctl::ProcessNumber(), message = 32769, function = 3;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto number = [&](long* value) {
            return i + 1 < args.size() && ParseLong(args[++i], value);
        };
        if (arg == "--pro") pro = true;
        else if (arg == "--no-host-args") hostArgs = false;
        else if (arg == "--program") {
            if (i + 1 >= args.size()) return UsageError("--program needs a PATH");
            program = args[++i];
        } else if (arg == "--window") {
            if (!number(&window) || window <= 0) return UsageError("--window needs a positive number");
        } else if (arg == "--message") {
            if (!number(&message)) return UsageError("--message needs a number");
        } else if (arg == "--function") {
            if (!number(&function)) return UsageError("--function needs a number");
        } else if (arg == "--" && i + 1 < args.size() && !haveField4) {
            field4 = args[++i];
            haveField4 = true;
        } else if (arg.rfind("--", 0) == 0) {
            return UsageError("run: unknown option " + arg);
        } else if (!haveField4) {
            field4 = arg;
            haveField4 = true;
        } else {
            return UsageError("run takes one FIELD4, got another: " + arg);
        }
    }
    if (program.empty())
        program = bokctl::SelfFolder() + "/../../app/" + bokctl::ProgramFile(pro ? "DeprLinkPro" : "DeprLinkStd");

    HostLog log;
    compat::HostWindowServer server(window, [&log](const std::string& request) { return log.Handle(request); });
    if (!server.Start()) return Fail("cannot serve the host window at " + compat::HostSocketPath(window));

    // The command line is one argument, as Windows hands over the text
    // after the program name.
    const std::string commandLine = std::to_string(window) + "," + std::to_string(message) + "," +
                                    std::to_string(function) + "," + field4;
    std::string failure;
    const bool ran = bokctl::RunAndWait(program, hostArgs ? &commandLine : nullptr, &failure);
    server.Stop();
    if (!ran) return Fail(failure);

    std::lock_guard<std::mutex> lock(log.mutex);
    std::printf("host disabled: %s\n", log.bDisabled ? "yes" : "no");
    std::printf("host re-enabled: %s\n", log.bReEnabled ? "yes" : "no");
    if (log.posts.empty()) {
        std::printf("posted: nothing\n");
        return kExitNothingPosted;
    }
    for (const HostLog::Post& post : log.posts)
        std::printf("posted: message=%ld wParam=%ld lParam=%ld\n", post.message, post.wParam, post.lParam);
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
