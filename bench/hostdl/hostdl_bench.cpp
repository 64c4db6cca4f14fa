// 999 contacts in 20 groups to one simulated SIP520 terminal: the whole contact job against the
// sum of the waits the protocol makes mandatory (1000 ms after each erase, 500 ms after each
// batch). Counter "ratio" is total time / mandatory waits; the goal is at most 1.05.
#include <benchmark/benchmark.h>

#include <chrono>

#include "manager/hostdl/hostdownload.h"
#include "manager/hostdl/tests/hostfleet.h"
#include "manager/hostdl/udphostlink.h"

namespace {

class TNoProgress : public IDownloadProgress {
    void ShowProgress(const TProgressText&, int) override {}
    void ShowJobResult(bool, const TProgressText&) override {}
};

double MandatoryMs(const TDownloadEntries& e, const THostTiming& timing) {
    double total = 0;
    for (const auto* list : {&e.devices, &e.groups, &e.groupDevices}) {
        total += static_cast<double>(timing.eraseSettle.count());
        total += static_cast<double>((list->size() + kHostMaxBatch - 1) / kHostMaxBatch *
                                     timing.writeSettle.count());
    }
    return total;
}

void BM_ContactJob999In20Groups(benchmark::State& state) {
    std::vector<TContactRow> rows;
    for (int i = 0; i < 999; ++i)
        rows.push_back({std::to_string(10001 + i), "Room " + std::to_string(i + 1),
                        "Floor " + std::to_string(i % 20 + 1)});
    const TDownloadEntries entries = BuildContactEntries(rows);

    THostFleet fleet;
    std::string error;
    if (!fleet.Start(0x7F3F0101, 1, {"SIP520"}, &error)) {  // 127.63.1.1
        state.SkipWithError(error.c_str());
        return;
    }
    const auto& store = fleet.store;
    const THostTiming timing;  // the program's waits
    double totalMs = 0;
    for (auto _ : state) {
        TStopRequest stop;
        TNoProgress progress;
        const auto begin = std::chrono::steady_clock::now();
        const bool ok = RunDownloadJobOverUdp(EDownloadKind::Contacts, "127.63.1.1", entries,
                                              progress, stop, timing);
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count();
        if (!ok || store->Terminal(0).Table(EHostTable::GroupDevice) != entries.groupDevices)
            state.SkipWithError("the job failed or the terminal's tables differ");
    }
    const double mandatory = MandatoryMs(entries, timing);
    const double perJob = totalMs / static_cast<double>(state.iterations());
    state.counters["total_ms"] = perJob;
    state.counters["mandatory_ms"] = mandatory;
    state.counters["ratio"] = perJob / mandatory;
}
BENCHMARK(BM_ContactJob999In20Groups)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
