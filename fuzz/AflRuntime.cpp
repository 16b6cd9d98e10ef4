// How the fuzz targets meet afl-fuzz.  They are compiled by g++ itself with
// -fsanitize-coverage=trace-pc (g++ keeps -fexec-charset=CP932, which clang
// and so libFuzzer refuse) and linked with AFL++'s own runtime,
// afl-compiler-rt.o, which runs the fork server, persistent mode and test
// cases in shared memory.  What afl-cc would add is here: the edge map
// update for each block that g++ reports, the markers by which afl-fuzz
// recognises a persistent target, and the loop.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzSupport.h"

extern "C" {
// AFL++'s runtime: the edge map, the test case in shared memory, the loop.
extern uint8_t* __afl_area_ptr;
extern unsigned char* __afl_fuzz_ptr;
extern unsigned int* __afl_fuzz_len;
int __afl_persistent_loop(unsigned int max_cnt);
void __afl_manual_init(void);

// Asks the runtime to hand test cases over in shared memory.
__attribute__((visibility("default"))) int __afl_sharedmem_fuzzing = 1;

// Called by g++ at the start of every basic block.  The block is named by
// its return address; its pair with the block before marks an edge of the
// 2^16-entry map, as AFL numbers them.
__attribute__((no_sanitize_coverage)) void __sanitizer_cov_trace_pc(void) {
    static thread_local uint32_t previous;
    const uint64_t pc = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
    const uint32_t current = static_cast<uint32_t>((pc * 0x9E3779B97F4A7C15ull) >> 48);
    __afl_area_ptr[(current ^ previous) & 0xFFFF]++;
    previous = current >> 1;
}
}

namespace {

// afl-fuzz looks for these in the binary to run it persistent and with a
// fork server that starts after the process has set itself up.
__attribute__((used)) volatile const char* const kMarkers[] = {"##SIG_AFL_PERSISTENT##", "##SIG_AFL_DEFER_FORKSRV##"};

// Cases run in one process before afl-fuzz starts a fresh one.
constexpr unsigned kCasesPerProcess = 1000;

std::string StandardInput() {
    std::string input;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;) input.append(chunk, got);
    return input;
}

}  // namespace

int main() {
    (void)kMarkers;
    __afl_manual_init();
    while (__afl_persistent_loop(kCasesPerProcess)) {
        if (__afl_fuzz_ptr != nullptr)
            fuzz::FuzzOne(std::string(reinterpret_cast<const char*>(__afl_fuzz_ptr), *__afl_fuzz_len));
        else
            fuzz::FuzzOne(StandardInput());
    }
    return 0;
}
