// The cost of one Pulse when no step is due: the engine's share of every pass of the main loop.
// Target: well under 100 ns, with no allocation.
#include "CMetronome.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> allocations{0};

class FrozenTicks final : public TickSource {
public:
    int64_t Frames() override { return frame; }
    int64_t SteadyMs() override { return 0; }
    int64_t frame = 1;
};

class SilentOutput final : public SoundOutput {
public:
    void PlaySample(std::string_view, int64_t) override {}
};

void PulseWithNoStepDue(benchmark::State& state) {
    FrozenTicks ticks;
    SilentOutput sound;
    CMetronome metron(ticks, sound);
    metron.BPM(120);
    metron.Track().Rhithm("4 xxxx (xxxx xxxx xxxx xxxx)0");
    metron.Pause(true);
    metron.Enable(true);
    metron.Pulse(); // lays the steps of the horizon; the first is heard later, which never comes
    const long before = allocations.load();
    for (auto _ : state) {
        metron.Pulse();
        benchmark::ClobberMemory();
    }
    const long allocated = allocations.load() - before;
    state.counters["allocations"] = static_cast<double>(allocated);
    if (allocated != 0) {
        state.SkipWithError("Pulse allocated memory");
    }
}
BENCHMARK(PulseWithNoStepDue);

} // namespace

// Counts every allocation of the process, so that the benchmark can prove Pulse makes none.
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
// The replaced operator new allocates with malloc, so free is the matching release; the compiler
// cannot see that pairing across the replacement.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

BENCHMARK_MAIN();
