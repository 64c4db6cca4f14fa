// A contact selection to one simulated SIP520 terminal, then to 50 at once, each with its own
// socket and the program's waits; the device-access calls go through libkvsetup.
//
// Counters: one_ms (one terminal), site_ms (50 terminals), ratio = site_ms / one_ms (goal: at
// most 1.2) and cpu_ms_per_terminal (process CPU time of the 50-terminal run / 50).
// SITE_BENCH_CONTACTS sets the selection's size (default 100; 999 is the largest download).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "manager/access/kvlibrary.h"
#include "manager/books/sitedownload.h"
#include "manager/hostdl/tests/hostfleet.h"

namespace {

constexpr std::uint32_t kFirst = 0x7F490101;  // 127.73.1.1
constexpr int kSite = 50;

std::string Address(int i) {
    const std::uint32_t a = kFirst + static_cast<std::uint32_t>(i);
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." +
           std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255);
}

// Milliseconds of wall time, and of process CPU time, for one run over count terminals.
std::pair<double, double> Run(const std::vector<TSiteBook>& books, IDeviceAccess& access, int count,
                              bool* allDone) {
    std::vector<TSiteTarget> targets;
    for (int i = 0; i < count; ++i)
        targets.push_back({Address(i), Address(i), {}});
    TSiteLog log(targets, books);
    const std::clock_t cpu = std::clock();
    const auto begin = std::chrono::steady_clock::now();
    TSiteDownload run(books, DeviceSiteAccess(access, std::nullopt, {}));
    run.Start(targets, kMaxSiteJobs);
    while (!run.Finished())
        for (const TSiteEvent& event : run.TakeEvents(std::chrono::milliseconds(200)))
            log.Apply(event);
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    *allDone = log.Count(TSiteOutcome::kDone) == targets.size();
    return {wall, 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
}

void BM_ContactsToFiftyTerminals(benchmark::State& state) {
    const char* size = std::getenv("SITE_BENCH_CONTACTS");
    const int contacts = size ? std::clamp(std::atoi(size), 1, 999) : 100;
    TSiteBook book{EDownloadKind::Contacts, {}};
    for (int i = 0; i < contacts; ++i)
        AppendListRow(book.rows, {std::to_string(10001 + i), "Room " + std::to_string(i + 1),
                                  "Floor " + std::to_string(i % 20 + 1)});
    const std::vector<TSiteBook> books{book};

    setenv("KVSETUP_TARGETS", (Address(0) + "-" + Address(kSite - 1)).c_str(), 1);
    THostFleet fleet;
    std::string error;
    std::unique_ptr<TKvLibrary> library;
    if (!fleet.Start(kFirst, kSite, {"SIP520"}, &error) ||
        !(library = TKvLibrary::Load(PELMORA_BIN_DIR, &error))) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        bool oneDone = false, siteDone = false;
        const double one = Run(books, *library, 1, &oneDone).first;
        const auto [site, cpu] = Run(books, *library, kSite, &siteDone);
        if (!oneDone || !siteDone) state.SkipWithError("a terminal's download failed");
        state.counters["one_ms"] = one;
        state.counters["site_ms"] = site;
        state.counters["ratio"] = site / one;
        state.counters["cpu_ms_per_terminal"] = cpu / kSite;
    }
}
BENCHMARK(BM_ContactsToFiftyTerminals)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
