// Merging a full search into large lists, sorting them, and device book files of 10,000 rows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "manager/access/devicerecord.h"
#include "manager/access/localinterfaces.h"
#include "manager/shell/devicebook.h"
#include "manager/shell/networksearch.h"

namespace {

std::string MacText(std::uint32_t n) {
    return "0.26." + std::to_string(n >> 16 & 255) + "." + std::to_string(n >> 8 & 255) + "." +
           std::to_string(n & 255) + ".1";
}

TDeviceRow BenchRow(std::uint32_t n) {
    TDeviceRow row;
    row.state = "Offline";
    row.columns = {std::to_string(1000 + (n * 7919) % 100000),
                   "Terminal " + std::to_string(n),
                   "127.0." + std::to_string(n >> 8 & 255) + "." + std::to_string(n & 255),
                   MacText(n),
                   "SIP520",
                   "V2.6.0",
                   "",
                   "Books"};
    row.netInfo = TRowNetInfo{{255, 0, 0, 0}, {127, 0, 0, 1}, {}, {}};
    return row;
}

void FillList(TDeviceList& list, std::size_t rows) {
    std::vector<TDeviceRow> all;
    all.reserve(rows);
    for (std::uint32_t i = 0; i < rows; ++i)
        all.push_back(BenchRow(i));
    list.AppendRows(std::move(all));
}

// 1,024 records: half of them terminals already in the list, half new ones.
TSearchAllResult FullSearch(std::size_t listRows) {
    TSearchAllResult search;
    search.result = 1;
    for (std::uint32_t i = 0; i < 1024; ++i) {
        const std::uint32_t n = i % 2 ? static_cast<std::uint32_t>(listRows) + i
                                      : i * static_cast<std::uint32_t>(listRows) / 1024;
        TDeviceRecord r{};
        const TMacBytes mac = TextToMac(MacText(n));
        std::memcpy(r.bytes + devrec::kMac, mac.data(), 6);
        const TIpBytes ip{127, 0, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
        std::memcpy(r.bytes + devrec::kIp, ip.data(), 4);
        StrToFixed("SIP520", r.bytes + devrec::kModel, devrec::kModelWidth);
        StrToFixed("8001", r.bytes + devrec::kAccount, devrec::kAccountWidth);
        StrToFixed("Terminal", r.bytes + devrec::kDisplayName, devrec::kDisplayNameWidth);
        StrToFixed("V2.6.0", r.bytes + devrec::kFirmware, devrec::kFirmwareWidth);
        search.records.push_back(r);
    }
    return search;
}

void BM_MergeSearch(benchmark::State& state) {
    SetLocalInterfaces({{0x0100007F, 0x000000FF}});  // 127.0.0.1/8, network order
    const std::size_t rows = static_cast<std::size_t>(state.range(0));
    const TSearchAllResult search = FullSearch(rows);
    for (auto _ : state) {
        state.PauseTiming();
        TDeviceList list;
        FillList(list, rows);
        state.ResumeTiming();
        ApplySearchAll(list, search);
        benchmark::DoNotOptimize(list.RowCount());
    }
}
BENCHMARK(BM_MergeSearch)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SortByAccount(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TDeviceList list;
        FillList(list, 10000);
        state.ResumeTiming();
        list.SortByColumn(state.range(0));
        benchmark::DoNotOptimize(list.Row(0));
    }
}
BENCHMARK(BM_SortByAccount)->Arg(kColAccount)->Arg(kColDisplayName)->Unit(benchmark::kMillisecond);

std::string BenchFile() {
    return (std::filesystem::temp_directory_path() /
            ("shell_bench-" + std::to_string(::getpid()) + ".dat"))
        .string();
}

void BM_SaveDeviceBook(benchmark::State& state) {
    TDeviceList list;
    FillList(list, 10000);
    const std::string path = BenchFile();
    for (auto _ : state) {
        if (!SaveDeviceFile(path, list).ok) state.SkipWithError("save failed");
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveDeviceBook)->Unit(benchmark::kMillisecond);

void BM_LoadDeviceBook(benchmark::State& state) {
    TDeviceList source;
    FillList(source, 10000);
    const std::string path = BenchFile();
    SaveDeviceFile(path, source);
    for (auto _ : state) {
        TDeviceList list;
        if (!LoadDeviceFile(path, state.range(0) != 0, list).ok) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(list.RowCount());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadDeviceBook)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
