// kv_search_all over in-process fleets of 10, 100 and 1,000 simulated terminals.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "kvsetup/kvsetup.h"
#include "termsim/fleet.h"

namespace {

// One fleet per size, started once, on 127.79.0.0/16 (apart from the test ranges).
termsim::Fleet* FleetOf(int count, std::uint32_t first) {
    static std::map<int, std::unique_ptr<termsim::Fleet>> fleets;
    auto& fleet = fleets[count];
    if (!fleet) {
        termsim::FleetOptions options;
        options.count = count;
        options.firstAddress = first;
        fleet = std::make_unique<termsim::Fleet>(options);
        std::string error;
        if (!fleet->Start(&error)) {
            fleet.reset();
            return nullptr;
        }
    }
    return fleet.get();
}

void BM_SearchAll(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    // Each size on its own /20 so that the fleets never overlap.
    const std::uint32_t first = 0x7F4F0001u + (static_cast<std::uint32_t>(count) << 12);
    if (!FleetOf(count, first)) {
        state.SkipWithError("the fleet could not bind its addresses");
        return;
    }
    setenv("KVSETUP_TARGETS", termsim::TargetsText(first, count).c_str(), 1);
    std::vector<TDeviceRecord> records(1024);
    std::int32_t found = 0;
    for (auto _ : state) {
        std::int32_t n = 1024;
        benchmark::DoNotOptimize(kv_search_all(records.data(), &n));
        found = n;
    }
    state.counters["terminals"] = count;
    state.counters["found"] = found;
}
BENCHMARK(BM_SearchAll)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
