// The figures run these operations a few dozen times per asset.  Each
// benchmark also reports "allocs": the calls of operator new made inside its
// timed loop, which must stay 0.

#include "decimal/ClFixDec.h"
#include "decimal/GuaranteeTables.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<uint64_t> g_allocations{0};

void* CountedAllocate(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

// Counts the allocations of one benchmark's timed loop.
class AllocationCounter {
public:
    AllocationCounter() : m_nStart(g_allocations.load()) {}
    void Report(benchmark::State& state) const {
        state.counters["allocs"] = static_cast<double>(g_allocations.load() - m_nStart);
    }

private:
    uint64_t m_nStart;
};

// Acquisition costs of ordinary size, in yen with fractions.
const char* const kAmounts[] = {
    "1234567", "98765432.5", "150000", "3000000.25", "45999999", "7777.7777", "250000000", "100",
};
constexpr int kAmountCount = sizeof kAmounts / sizeof kAmounts[0];

struct Inputs {
    ClFixDec amounts[kAmountCount];
    Inputs() {
        for (int i = 0; i < kAmountCount; ++i) amounts[i] = ClFixDec(kAmounts[i]);
    }
};

const Inputs& GetInputs() {
    static const Inputs inputs;
    return inputs;
}

void BM_MultiplyByGuaranteeEntry(benchmark::State& state) {
    const Inputs& in = GetInputs();
    int i = 0;
    AllocationCounter counter;
    for (auto _ : state) {
        ClFixDec product = in.amounts[i % kAmountCount] * GuaranteeTable200[i % GUARANTEE_TABLE_SIZE];
        benchmark::DoNotOptimize(product.integer);
        ++i;
    }
    counter.Report(state);
}
BENCHMARK(BM_MultiplyByGuaranteeEntry);

void BM_MultiplyByInt(benchmark::State& state) {
    const Inputs& in = GetInputs();
    int i = 0;
    AllocationCounter counter;
    for (auto _ : state) {
        ClFixDec product = in.amounts[i % kAmountCount] * (i & 0xffff);
        benchmark::DoNotOptimize(product.integer);
        ++i;
    }
    counter.Report(state);
}
BENCHMARK(BM_MultiplyByInt);

void BM_DivideBy10000(benchmark::State& state) {
    const Inputs& in = GetInputs();
    const ClFixDec divisor("10000");
    int i = 0;
    AllocationCounter counter;
    for (auto _ : state) {
        ClFixDec quotient = in.amounts[i % kAmountCount] / divisor;
        benchmark::DoNotOptimize(quotient.integer);
        ++i;
    }
    counter.Report(state);
}
BENCHMARK(BM_DivideBy10000);

void BM_DivideByDouble(benchmark::State& state) {
    const Inputs& in = GetInputs();
    int i = 0;
    AllocationCounter counter;
    for (auto _ : state) {
        ClFixDec quotient = in.amounts[i % kAmountCount] / 100.0;
        benchmark::DoNotOptimize(quotient.integer);
        ++i;
    }
    counter.Report(state);
}
BENCHMARK(BM_DivideByDouble);

void BM_Round(benchmark::State& state) {
    const Inputs& in = GetInputs();
    const short position = static_cast<short>(state.range(0));
    int i = 0;
    AllocationCounter counter;
    for (auto _ : state) {
        ClFixDec value = in.amounts[i % kAmountCount];
        value.Round(static_cast<short>(i % 3), position);
        benchmark::DoNotOptimize(value.integer);
        ++i;
    }
    counter.Report(state);
}
BENCHMARK(BM_Round)->Arg(1)->Arg(4)->Arg(-3)->Arg(-12);

void BM_FormatInteger(benchmark::State& state) {
    const Inputs& in = GetInputs();
    char buffer[16];
    int i = 0;
    AllocationCounter counter;
    for (auto _ : state) {
        FormatInteger(in.amounts[i % kAmountCount], buffer, sizeof buffer);
        benchmark::DoNotOptimize(buffer);
        ++i;
    }
    counter.Report(state);
}
BENCHMARK(BM_FormatInteger);

void BM_FormatIntegerCount(benchmark::State& state) {
    int64_t count = 12345678901234;
    char buffer[16];
    AllocationCounter counter;
    for (auto _ : state) {
        FormatInteger(count, buffer, sizeof buffer);
        benchmark::DoNotOptimize(buffer);
        count += 7919;
    }
    counter.Report(state);
}
BENCHMARK(BM_FormatIntegerCount);

}  // namespace

void* operator new(std::size_t size) { return CountedAllocate(size); }

void* operator new[](std::size_t size) { return CountedAllocate(size); }

void operator delete(void* p) noexcept { std::free(p); }

void operator delete[](void* p) noexcept { std::free(p); }

void operator delete(void* p, std::size_t) noexcept { std::free(p); }

void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

BENCHMARK_MAIN();
