// Vellup in batch mode against many simulated terminals with a 1 MiB image.
//
// Each case starts the program as a child, with the terminals served from this process on
// 127.0.40.x and up, and reports the batch's wall time, the protocol's own lower bound (its fixed
// pauses plus one loopback round trip per request), the CPU time of the child and of the
// simulated terminals, the child's CPU time and voluntary context switches per block sent, and
// its peak memory. On a machine with two cores or more the simulated terminals run on the last
// core and Vellup (through taskset) on the others, so that both are measured without competing
// for one core. The 500-terminal cases take a while and run only with VELLUP_BENCH_LARGE=1.
// BM_LoopbackFloor measures, with the same split of the CPUs, what the bare exchange of the
// blocks over loopback costs without any program around it: the floor of a batch's transfer.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <spawn.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "termsim/update/agentrunner.h"
#include "updater/ipv4text.h"
#include "updater/protocol.h"
#include "updater/udplink.h"
#include "updater/updatejob.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kFirstTerminal = 0x7F002801;  // 127.0.40.1
constexpr std::size_t kImageSize = kMaxImageSize;
constexpr double kFixedPauses = 1.0;  // the pause after the reset; every other wait is answered

// Requests of one conversation that wait for a reply: login, query, image blocks, reset,
// rediscovery query, logout.
constexpr double kBlocks =
    static_cast<double>((kImageSize + kImageBlockData - 1) / kImageBlockData);
constexpr double RoundTrips() {
    return 5.0 + kBlocks;
}

struct CpuSplit {
    std::string vellupList;  // for taskset; empty with fewer than two CPUs
    cpu_set_t vellup;        // the CPUs Vellup runs on (all of them with fewer than two)
};

// The CPUs of this process: the last one serves the simulated terminals, the others run Vellup.
CpuSplit PinSimulatorAndListOthers() {
    CpuSplit split;
    cpu_set_t set;
    CPU_ZERO(&set);
    sched_getaffinity(0, sizeof set, &set);
    split.vellup = set;
    if (CPU_COUNT(&set) < 2) return split;
    int last = -1;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &set)) last = cpu;
    CPU_CLR(last, &split.vellup);
    for (int cpu = 0; cpu < last; ++cpu)
        if (CPU_ISSET(cpu, &set))
            split.vellupList += (split.vellupList.empty() ? "" : ",") + std::to_string(cpu);
    cpu_set_t mine;
    CPU_ZERO(&mine);
    CPU_SET(last, &mine);
    sched_setaffinity(0, sizeof mine, &mine);  // the loop threads inherit it
    return split;
}

const CpuSplit& Cpus() {
    static const CpuSplit split = PinSimulatorAndListOthers();
    return split;
}

const std::string& VellupCpus() {
    return Cpus().vellupList;
}

// The usual (10th percentile) time of one image block and its acknowledgement over loopback.
double MeasureRoundTrip() {
    termsim::TUpdateAgentRunner runner;
    termsim::TUpdateAgentConfig config;
    config.deviceType = "SIP520";
    runner.Add(0x7F0027FE, 65276, config);  // 127.0.39.254
    std::string error;
    if (!runner.Start(&error)) return 0;
    TUdpSocket socket;
    socket.BindFirstFree(kFirstLocalPort, kLastLocalPort);
    TUdpUpdateLink link(socket, 0x7F0027FE, 65276);
    link.Send(LoginRequest(1, ""));
    link.Receive(2000, 1023);
    std::vector<std::uint8_t> image(kImageBlockData, 0x55);
    const TBytes block = ImageBlock(image, 1);
    std::vector<double> times;
    for (int i = 0; i < 2000; ++i) {
        const Clock::time_point start = Clock::now();
        link.Send(block);
        link.Receive(2000, 2047);
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + 200, times.end());
    return times[200];  // the 10th percentile: a busy machine's stalls are not the protocol's
}

double RoundTripSeconds() {
    static const double rtt = MeasureRoundTrip();
    return rtt;
}

struct Folder {
    fs::path path;
    std::string updateFile;

    explicit Folder(int terminals) {
        std::string pattern = (fs::temp_directory_path() / "vellup-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        std::ofstream list(path / "~devlist.lst", std::ios::binary);
        for (int i = 0; i < terminals; ++i)
            list << "m" << i << ";" << IpTextOf(kFirstTerminal + std::uint32_t(i))
                 << ";Bench;V2.5.0;lo;SIP520\r\n";
        updateFile = (path / "update.bin").string();
        std::string bytes(kImageOffset + kImageSize, '\x5A');
        bytes.replace(0, 3, "B32");
        std::fill(bytes.begin() + 8, bytes.begin() + 1132, '\0');
        bytes.replace(40, 6, "SIP520");
        std::ofstream(updateFile, std::ios::binary)
            .write(bytes.data(), std::streamsize(bytes.size()));
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

struct ChildRun {
    int exitCode = -1;
    double seconds = 0;
    long peakKiB = 0;
    double cpuSeconds = 0;
    long voluntarySwitches = 0;
};

double Seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// This process's CPU time: while the child runs, that of the simulated terminals, which share
// the machine's cores with it.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

ChildRun RunVellup(const Folder& folder, int threads) {
    std::vector<std::string> args = {
        VELLUP_PROGRAM, "--batch",         "--home",    folder.path.string(),
        "--file",       folder.updateFile, "--threads", std::to_string(threads)};
    if (!VellupCpus().empty()) args.insert(args.begin(), {"/usr/bin/taskset", "-c", VellupCpus()});
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    pid_t pid;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKiB = usage.ru_maxrss;
    run.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.voluntarySwitches = usage.ru_nvcsw;
    return run;
}

std::map<int, long>& PeakByThreads() {
    static std::map<int, long> peaks;  // peak of the single-terminal run, by Threads
    return peaks;
}

void BM_Batch(benchmark::State& state) {
    const int terminals = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    VellupCpus();  // pins this process before its threads start
    const double rtt = RoundTripSeconds();
    termsim::TUpdateAgentRunner runner(2);  // one simulator thread would be the bottleneck
    for (int i = 0; i < terminals; ++i) {
        termsim::TUpdateAgentConfig config;
        config.deviceType = "SIP520";
        config.restartTime = {};
        runner.Add(kFirstTerminal + std::uint32_t(i), 65276, config);
    }
    std::string error;
    if (!runner.Start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    Folder folder(terminals);
    ChildRun run;
    double agentsCpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        run = RunVellup(folder, threads);
        agentsCpu = ProcessCpuSeconds() - before;
        state.SetIterationTime(run.seconds);
    }
    if (run.exitCode != 0) state.SkipWithError("a terminal did not end OK");
    const double transfer = RoundTrips() * rtt;
    const int waves = threads > 0 ? (terminals + threads - 1) / threads : 1;
    // Later waves start when the reset of an earlier terminal is reported (50 ms later).
    const double bound = kFixedPauses + waves * transfer + (waves - 1) * 0.05;
    if (terminals == 1) PeakByThreads()[threads] = run.peakKiB;
    state.counters["wall_s"] = run.seconds;
    state.counters["bound_s"] = bound;
    state.counters["rtt_p10_us"] = rtt * 1e6;
    state.counters["child_cpu_s"] = run.cpuSeconds;
    state.counters["agents_cpu_s"] = agentsCpu;
    state.counters["peak_MiB"] = run.peakKiB / 1024.0;
    const double blocks = kBlocks * terminals;
    state.counters["cpu_us_per_block"] = run.cpuSeconds * 1e6 / blocks;
    state.counters["vcsw_per_block"] = double(run.voluntarySwitches) / blocks;
    auto single = PeakByThreads().find(threads);
    if (terminals > 1 && single != PeakByThreads().end())
        state.counters["KiB_per_terminal"] =
            double(run.peakKiB - single->second) / double(terminals - 1);
}

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// What the machine's network stack alone costs: a bare client sends blocks of an image block's
// size stop-and-wait, one socket per terminal, to bare servers that answer each with an
// acknowledgement; the client on Vellup's CPUs, the servers on the simulator's. No protocol and
// no program around it, so the transfer part of a batch cannot be shorter than this.
void BM_LoopbackFloor(benchmark::State& state) {
    const int terminals = static_cast<int>(state.range(0));
    const int blocks = static_cast<int>(kBlocks);
    const CpuSplit& cpus = Cpus();
    std::vector<int> servers, clients;
    std::vector<sockaddr_in> addresses;
    for (int i = 0; i < terminals; ++i) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(65276);
        a.sin_addr.s_addr = htonl(0x7F003C01 + std::uint32_t(i));  // 127.0.60.1 and up
        servers.push_back(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        clients.push_back(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (::bind(servers.back(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            state.SkipWithError("cannot bind a server socket");
            return;
        }
        addresses.push_back(a);
    }
    const auto watch = [](const std::vector<int>& fds) {
        const int epoll = ::epoll_create1(EPOLL_CLOEXEC);
        for (std::size_t i = 0; i < fds.size(); ++i) {
            epoll_event ev{EPOLLIN, {.u64 = i}};
            ::epoll_ctl(epoll, EPOLL_CTL_ADD, fds[i], &ev);
        }
        return epoll;
    };
    std::atomic<bool> stop{false};
    double serverCpu = 0;
    std::thread server([&] {  // on the simulator's CPU, as this process is
        const int epoll = watch(servers);
        const double before = ThreadCpuSeconds();
        epoll_event events[64];
        std::uint8_t datagram[2048];
        const std::uint8_t ack[8] = {};
        while (!stop.load()) {
            const int ready = ::epoll_wait(epoll, events, 64, 20);
            for (int e = 0; e < ready; ++e) {
                const int fd = servers[events[e].data.u64];
                sockaddr_in from{};
                socklen_t length = sizeof from;
                if (::recvfrom(fd, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&from),
                               &length) > 0)
                    ::sendto(fd, ack, sizeof ack, 0, reinterpret_cast<sockaddr*>(&from), length);
            }
        }
        serverCpu = ThreadCpuSeconds() - before;
        ::close(epoll);
    });

    cpu_set_t own;
    sched_getaffinity(0, sizeof own, &own);
    sched_setaffinity(0, sizeof cpus.vellup, &cpus.vellup);
    const int epoll = watch(clients);
    const std::vector<std::uint8_t> block(kImageBlockData + 10, 0x5A);
    const auto send = [&](std::size_t i) {
        ::sendto(clients[i], block.data(), block.size(), 0,
                 reinterpret_cast<const sockaddr*>(&addresses[i]), sizeof addresses[i]);
    };
    double seconds = 0, clientCpu = 0;
    for (auto _ : state) {
        std::vector<int> left(std::size_t(terminals), blocks);
        int finished = 0;
        const double before = ThreadCpuSeconds();
        const Clock::time_point start = Clock::now();
        for (std::size_t i = 0; i < clients.size(); ++i)
            send(i);
        epoll_event events[64];
        std::uint8_t ack[64];
        while (finished < terminals) {
            const int ready = ::epoll_wait(epoll, events, 64, 2000);
            if (ready <= 0) break;  // a lost datagram: loopback drops none unless overloaded
            for (int e = 0; e < ready; ++e) {
                const std::size_t i = events[e].data.u64;
                if (::recv(clients[i], ack, sizeof ack, 0) <= 0) continue;
                if (--left[i] == 0)
                    ++finished;
                else
                    send(i);
            }
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        clientCpu = ThreadCpuSeconds() - before;
        state.SetIterationTime(seconds);
        if (finished < terminals) state.SkipWithError("a bare transfer stalled");
    }
    sched_setaffinity(0, sizeof own, &own);
    stop = true;
    server.join();
    ::close(epoll);
    for (int fd : servers)
        ::close(fd);
    for (int fd : clients)
        ::close(fd);
    const double total = double(blocks) * terminals;
    state.counters["wall_s"] = seconds;
    state.counters["client_cpu_us_per_block"] = clientCpu * 1e6 / total;
    state.counters["server_cpu_us_per_block"] = serverCpu * 1e6 / total;
}

void Register() {
    for (int terminals : {1, 100})
        benchmark::RegisterBenchmark("BM_LoopbackFloor", BM_LoopbackFloor)
            ->Arg(terminals)
            ->ArgName("terminals")
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    const bool large = std::getenv("VELLUP_BENCH_LARGE") != nullptr;
    for (int threads : {0, 20})
        for (int terminals : {1, 100, 500}) {
            if (terminals == 500 && !large) continue;
            benchmark::RegisterBenchmark("BM_Batch", BM_Batch)
                ->Args({terminals, threads})
                ->ArgNames({"terminals", "threads"})
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
}

const int registered = (Register(), 0);

}  // namespace
