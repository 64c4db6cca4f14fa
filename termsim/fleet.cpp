// The fleet: sockets of every terminal's agents in one poller, timers in one heap, one thread.
#include "termsim/fleet.h"

#include <atomic>
#include <mutex>
#include <queue>
#include <random>
#include <thread>

#include "common/platform/poller.h"
#include "common/platform/process.h"
#include "common/udpsocket.h"
#include "termsim/kvagent.h"

namespace termsim {
namespace {

constexpr std::size_t kMaxDatagram = 65536;
constexpr int kDrainPerEvent = 64;  // datagrams read from one socket before serving the others

bool IsUsableLoopback(std::uint32_t address) {
    return (address >> 24) == 127 && (address & 0x00FFFFFF) != 0 &&
           (address & 0x00FFFFFF) != 0x00FFFFFF;
}

}  // namespace

struct Fleet::Impl {
    struct Terminal;

    // The context of one agent of one terminal: sends go out of that agent's socket.
    struct AgentContext : TerminalContext {
        Impl* fleet = nullptr;
        Terminal* terminal = nullptr;
        std::size_t slot = 0;

        TerminalState& State() override { return terminal->state; }
        void Send(const Endpoint& to, std::span<const std::uint8_t> bytes) override {
            SendAfter(std::chrono::milliseconds(0), to, bytes);
        }
        void SendAfter(std::chrono::milliseconds delay, const Endpoint& to,
                       std::span<const std::uint8_t> bytes) override;
        void After(std::chrono::milliseconds delay, std::function<void()> fn) override {
            fleet->Schedule(delay, std::move(fn));
        }
        void Restart(std::chrono::milliseconds downTime) override;
        std::chrono::milliseconds RestartTime() const override {
            return fleet->options.restartTime;
        }
        bool MoveTo(std::uint32_t address) override { return fleet->Move(*terminal, address); }
    };

    struct Slot {
        AgentContext context;
        std::unique_ptr<ITerminalAgent> agent;
        std::unique_ptr<TUdpSocket> socket;
    };

    struct Terminal {
        TerminalState state;
        TerminalStats stats;
        std::vector<std::unique_ptr<Slot>> slots;
        std::mt19937 rng;
        bool Chance(double rate) {
            return rate > 0 && std::uniform_real_distribution<double>(0, 1)(rng) < rate;
        }
        bool Drop() { return Chance(state.faults.lossRate); }
        std::chrono::milliseconds Delay() {
            const auto jitter = state.faults.jitter.count();
            if (jitter <= 0) return state.faults.extraDelay;
            using Ms = std::chrono::milliseconds;
            return state.faults.extraDelay +
                   Ms(std::uniform_int_distribution<Ms::rep>(0, jitter)(rng));
        }
    };

    struct Timer {
        Clock::time_point when;
        std::uint64_t seq;
        std::function<void()> fn;
        bool operator>(const Timer& o) const {
            return when != o.when ? when > o.when : seq > o.seq;
        }
    };

    FleetOptions options;
    mutable std::mutex mu;
    std::vector<std::unique_ptr<Terminal>> terminals;
    std::priority_queue<Timer, std::vector<Timer>, std::greater<>> timers;
    std::uint64_t timerSeq = 0;
    std::unique_ptr<TSocketPoller> poller;  // while the fleet runs
    std::atomic<bool> stopping{false};
    std::thread loop;

    explicit Impl(FleetOptions o) : options(std::move(o)) {}

    void Schedule(std::chrono::milliseconds delay, std::function<void()> fn) {
        timers.push(Timer{Clock::now() + delay, timerSeq++, std::move(fn)});
    }

    void SendNow(Terminal& t, std::size_t slot, const Endpoint& to,
                 const std::vector<std::uint8_t>& bytes) {
        TUdpSocket* socket = t.slots[slot]->socket.get();
        if (!socket || t.Drop()) return;
        // A full socket buffer loses the datagram, as a busy network would.
        socket->SendTo(to.address, to.port, bytes.data(), bytes.size());
    }

    std::unique_ptr<TUdpSocket> Bind(std::uint32_t address, std::uint16_t port, std::uint64_t tag,
                                     std::string* error) {
        auto socket = std::make_unique<TUdpSocket>();
        if (!socket->Bind(address, port)) {
            if (error) *error = "cannot bind " + AddressText(address) + ":" + std::to_string(port);
            return nullptr;
        }
        poller->Add(*socket, tag);
        return socket;
    }

    static std::uint64_t Tag(int index, std::size_t slot) {
        return (static_cast<std::uint64_t>(index) << 16) | slot;
    }

    void Close(std::unique_ptr<TUdpSocket>& socket) {
        if (!socket) return;
        poller->Remove(*socket);
        socket.reset();
    }

    bool Move(Terminal& t, std::uint32_t address) {
        if (!IsUsableLoopback(address)) return false;
        std::vector<std::unique_ptr<TUdpSocket>> fresh;
        for (std::size_t i = 0; i < t.slots.size(); ++i) {
            auto socket = Bind(address, t.slots[i]->agent->Port(), Tag(t.state.index, i), nullptr);
            if (!socket) {
                for (auto& f : fresh)
                    Close(f);
                return false;
            }
            fresh.push_back(std::move(socket));
        }
        for (std::size_t i = 0; i < t.slots.size(); ++i) {
            Close(t.slots[i]->socket);
            t.slots[i]->socket = std::move(fresh[i]);
        }
        t.state.address = address;
        return true;
    }

    bool Build(std::string* error);
    void Run();
    void Receive(std::uint64_t tag);
    void RunDueTimers();
    void CloseAll();
};

void Fleet::Impl::AgentContext::SendAfter(std::chrono::milliseconds delay, const Endpoint& to,
                                          std::span<const std::uint8_t> bytes) {
    const auto total = delay + terminal->Delay();
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    if (total.count() <= 0) {
        fleet->SendNow(*terminal, slot, to, copy);
        return;
    }
    Impl* f = fleet;
    Terminal* t = terminal;
    const std::size_t s = slot;
    fleet->Schedule(total, [f, t, s, to, data = std::move(copy)] { f->SendNow(*t, s, to, data); });
}

void Fleet::Impl::AgentContext::Restart(std::chrono::milliseconds downTime) {
    terminal->state.silentUntil = Clock::now() + downTime;
    for (auto& s : terminal->slots)
        s->agent->OnRestart();
}

bool Fleet::Impl::Build(std::string* error) {
    const auto& models = options.models.empty() ? DefaultModels() : options.models;
    const std::vector<std::string> defaultFirmware{"V2.6.0"};
    const auto& firmwares = options.firmwares.empty() ? defaultFirmware : options.firmwares;
    if (options.count < 0 || options.count > 65535) {
        *error = "the fleet holds 0 to 65535 terminals";
        return false;
    }
    const std::uint64_t last = std::uint64_t{options.firstAddress} + options.count - 1;
    if (options.count > 0 && (!IsUsableLoopback(options.firstAddress) ||
                              !IsUsableLoopback(static_cast<std::uint32_t>(last)))) {
        *error = "terminal addresses must lie inside 127.0.0.0/8";
        return false;
    }
    for (int i = 0; i < options.count; ++i) {
        auto t = std::make_unique<Terminal>();
        std::seed_seq seeds{options.seed, static_cast<std::uint32_t>(i)};
        t->rng = std::mt19937(seeds);
        TerminalState& s = t->state;
        s.index = i;
        s.address = options.firstAddress + static_cast<std::uint32_t>(i);
        s.faults = options.faults;
        s.started = Clock::now();
        s.statusPeriod = options.statusPeriod;
        s.faults.mute = s.faults.mute || t->Chance(options.muteShare);
        const std::uint32_t macLow = (options.macBase + static_cast<std::uint32_t>(i)) & 0xFFFFFF;
        const TMac mac{0x02,
                       0x4B,
                       0x56,
                       static_cast<std::uint8_t>(macLow >> 16),
                       static_cast<std::uint8_t>(macLow >> 8),
                       static_cast<std::uint8_t>(macLow)};
        const bool old = options.oldFirmwareEvery > 0 && (i + 1) % options.oldFirmwareEvery == 0;
        const std::string& firmware = old ? options.oldFirmware : firmwares[i % firmwares.size()];
        s.block = MakeInitialBlock(models[i % models.size()], firmware, mac, s.address,
                                   options.firstAccount + static_cast<std::uint32_t>(i),
                                   options.namePrefix + std::to_string(i + 1), options.loginUser,
                                   options.loginPassword);
        terminals.push_back(std::move(t));
    }
    for (auto& t : terminals) {
        auto addSlot = [&](auto&& make) {
            auto slot = std::make_unique<Slot>();
            slot->context.fleet = this;
            slot->context.terminal = t.get();
            slot->context.slot = t->slots.size();
            slot->agent = make(slot->context);
            t->slots.push_back(std::move(slot));
        };
        addSlot([&](TerminalContext& c) { return std::make_unique<KvAgent>(c, t->stats); });
        for (const auto& factory : options.agents)
            addSlot(factory);
        for (std::size_t i = 0; i < t->slots.size(); ++i) {
            auto& slot = *t->slots[i];
            if (!slot.agent) {
                *error = "an agent factory returned nothing";
                return false;
            }
            slot.socket = Bind(t->state.address, slot.agent->Port(), Tag(t->state.index, i), error);
            if (!slot.socket) return false;
        }
    }
    return true;
}

void Fleet::Impl::Receive(std::uint64_t tag) {
    const auto index = static_cast<std::size_t>(tag >> 16);
    const auto slotIndex = static_cast<std::size_t>(tag & 0xFFFF);
    if (index >= terminals.size() || slotIndex >= terminals[index]->slots.size()) return;
    Terminal& t = *terminals[index];
    static thread_local std::vector<std::uint8_t> buffer(kMaxDatagram);
    for (int n = 0; n < kDrainPerEvent; ++n) {
        Slot& slot = *t.slots[slotIndex];  // an agent may move the terminal: refetch the socket
        if (!slot.socket) return;
        TUdpSocket::Slot got{buffer.data(), buffer.size()};
        if (slot.socket->ReceiveQueued(&got, 1) <= 0) return;
        if (t.state.faults.mute || Clock::now() < t.state.silentUntil || t.Drop()) continue;
        slot.agent->OnDatagram(Endpoint{got.address, got.port},
                               std::span<const std::uint8_t>(buffer.data(), got.size));
    }
}

void Fleet::Impl::RunDueTimers() {
    const auto now = Clock::now();
    while (!timers.empty() && timers.top().when <= now) {
        auto fn = std::move(const_cast<Timer&>(timers.top()).fn);
        timers.pop();
        fn();
    }
}

void Fleet::Impl::Run() {
    std::vector<std::uint64_t> ready;
    while (!stopping.load()) {
        int timeout = -1;
        {
            std::lock_guard lock(mu);
            if (!timers.empty()) {
                const auto wait =
                    std::chrono::ceil<std::chrono::milliseconds>(timers.top().when - Clock::now());
                timeout = static_cast<int>(std::max<std::int64_t>(0, wait.count()));
            }
        }
        poller->Wait(timeout, ready);
        std::lock_guard lock(mu);
        for (const std::uint64_t tag : ready)
            Receive(tag);
        RunDueTimers();
    }
}

void Fleet::Impl::CloseAll() {
    for (auto& t : terminals)
        for (auto& s : t->slots)
            Close(s->socket);
    terminals.clear();
    timers = {};
    poller.reset();
}

Fleet::Fleet(FleetOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Fleet::~Fleet() {
    Stop();
}

bool Fleet::Start(std::string* error) {
    std::string message;
    Impl& d = *impl_;
    if (d.loop.joinable() || d.poller) {
        message = "the fleet is already running";
    } else {
        RaiseOpenFileLimit();
        d.poller = std::make_unique<TSocketPoller>();
        if (d.Build(&message)) {
            d.stopping = false;
            d.loop = std::thread([&d] { d.Run(); });
            return true;
        }
        d.CloseAll();
    }
    if (error) *error = message;
    return false;
}

void Fleet::Stop() {
    Impl& d = *impl_;
    if (d.loop.joinable()) {
        d.stopping = true;
        d.poller->Wake();
        d.loop.join();
    }
    std::lock_guard lock(d.mu);
    d.CloseAll();
}

int Fleet::Count() const {
    std::lock_guard lock(impl_->mu);
    return static_cast<int>(impl_->terminals.size());
}

TerminalState Fleet::State(int index) const {
    std::lock_guard lock(impl_->mu);
    if (index < 0 || index >= static_cast<int>(impl_->terminals.size())) return {};
    return impl_->terminals[index]->state;
}

TerminalStats Fleet::Stats(int index) const {
    std::lock_guard lock(impl_->mu);
    if (index < 0 || index >= static_cast<int>(impl_->terminals.size())) return {};
    return impl_->terminals[index]->stats;
}

void Fleet::SetFaults(int index, const Faults& faults) {
    std::lock_guard lock(impl_->mu);
    if (index >= 0 && index < static_cast<int>(impl_->terminals.size()))
        impl_->terminals[index]->state.faults = faults;
}

void Fleet::SetBlock(int index, const TBlock& block) {
    std::lock_guard lock(impl_->mu);
    if (index >= 0 && index < static_cast<int>(impl_->terminals.size()))
        impl_->terminals[index]->state.block = block;
}

void Fleet::SetSilentUntil(int index, Clock::time_point until) {
    std::lock_guard lock(impl_->mu);
    if (index >= 0 && index < static_cast<int>(impl_->terminals.size()))
        impl_->terminals[index]->state.silentUntil = until;
}

}  // namespace termsim
