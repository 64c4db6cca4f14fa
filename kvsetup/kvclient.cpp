#include "kvsetup/kvclient.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <unordered_map>

#include "kvsetup/replycheck.h"

namespace kvsetup {
namespace {

using Clock = std::chrono::steady_clock;
using kvproto::Kind;

constexpr std::size_t kBurst = 64;       // probes sent before the socket is drained again
constexpr int kReceiveBuffer = 4 << 20;  // room for a thousand answers arriving at once
constexpr std::size_t kMaxDatagram = 65536;

}  // namespace

struct Client::Reply {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    std::vector<std::uint8_t> bytes;
};

std::uint32_t NewRequestId() {
    // Drawn afresh from the system's entropy source for every request, so that a datagram from
    // elsewhere on the network cannot carry the id of a request it has not seen. Not thread-local:
    // a thread-local object with a destructor keeps the library loaded after the program has
    // closed it, for as long as the calling thread lives.
    std::random_device entropy;
    return static_cast<std::uint32_t>(entropy());
}

// A wait of 100 to 10000 ms from the environment variable, or the given one.
static std::chrono::milliseconds WaitFromEnvironment(const char* name,
                                                     std::chrono::milliseconds fallback) {
    const char* env = std::getenv(name);
    if (!env) return fallback;
    int ms = 0;
    const auto [ptr, ec] = std::from_chars(env, env + std::strlen(env), ms);
    if (ec == std::errc() && *ptr == '\0' && ms >= 100 && ms <= 10000)
        return std::chrono::milliseconds(ms);
    return fallback;
}

Timing CurrentTiming() {
    Timing t;
    t.searchWindow = WaitFromEnvironment("KVSETUP_SEARCH_MS", t.searchWindow);
    t.attemptWait = WaitFromEnvironment("KVSETUP_ATTEMPT_MS", t.attemptWait);
    return t;
}

Client::Client() {
    if (!socket_.Valid()) return;
    socket_.SetReceiveBuffer(kReceiveBuffer);
    // Port-unreachable reports let a search stop waiting for addresses nobody listens on.
    socket_.ReportUnreachable();
    ok_ = socket_.Bind(0, 0);
}

Client::~Client() = default;

bool Client::Send(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    // No broadcast permission on this socket: the system refuses any broadcast destination.
    return socket_.SendTo(address, kvproto::kPort, bytes.data(), bytes.size());
}

void Client::Wait(Clock::time_point deadline, std::vector<Reply>* replies,
                  std::vector<std::uint32_t>* unreachable) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (!socket_.WaitReadable(static_cast<int>(std::max<std::int64_t>(0, left.count())))) return;
    while (std::optional<TUdpSocket::Datagram> d = socket_.TryReceive(kMaxDatagram))
        replies->push_back(Reply{d->address, d->port, std::move(d->bytes)});
    socket_.TakeUnreachable(*unreachable);
}

std::vector<Found> Client::Probe(const std::vector<std::uint32_t>& targets, const kvproto::Mac& mac,
                                 std::chrono::milliseconds window, bool firstOnly) {
    std::vector<Found> found;
    if (!ok_ || targets.empty()) return found;
    kvproto::Header header;
    header.kind = static_cast<std::uint8_t>(Kind::kProbe);
    header.requestId = NewRequestId();
    header.mac = mac;
    const auto request = kvproto::Encode(header, {});
    const ReplyCheck check(header, targets);

    // Each target is pending until it answers or is reported unreachable.
    std::unordered_map<std::uint32_t, bool> pending;
    pending.reserve(targets.size());
    for (auto a : targets)
        pending.emplace(a, true);
    std::size_t open = pending.size();
    auto settle = [&](std::uint32_t a) {
        const auto it = pending.find(a);
        if (it != pending.end() && it->second) {
            it->second = false;
            --open;
        }
    };
    std::map<kvproto::Mac, Found> byMac;

    const auto start = Clock::now();
    const auto deadline = start + window;
    const auto again = start + window / 2;
    bool resent = false;
    std::size_t next = 0;
    std::vector<Reply> replies;
    std::vector<std::uint32_t> unreachable;
    while (open > 0 && Clock::now() < deadline) {
        if (!resent && next >= targets.size() && Clock::now() >= again) {
            resent = true;
            next = 0;
        }
        for (std::size_t sent = 0; next < targets.size() && sent < kBurst; ++next) {
            if (!pending[targets[next]]) continue;
            Send(targets[next], request);
            ++sent;
        }
        const bool sending = next < targets.size();
        replies.clear();
        unreachable.clear();
        Wait(sending ? Clock::now() : (resent ? deadline : std::min(deadline, again)), &replies,
             &unreachable);
        for (auto a : unreachable)
            settle(a);
        for (const auto& r : replies) {
            const auto m = check.Accept(r.address, r.port, r.bytes);
            if (!m || m->header.result != kvproto::result::kOk) continue;
            settle(r.address);
            Found f;
            f.address = r.address;
            std::copy(m->payload.begin(), m->payload.end(), f.record.begin());
            byMac.emplace(m->header.mac, f);
        }
        if (firstOnly && !byMac.empty()) break;
    }
    for (auto& [m, f] : byMac)
        found.push_back(f);
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.address < b.address; });
    return found;
}

std::int32_t Client::Request(std::uint32_t address, const std::vector<std::uint32_t>& sources,
                             Kind kind, const kvproto::Mac& mac,
                             std::span<const std::uint8_t> payload, std::span<std::uint8_t> out,
                             const Timing& timing) {
    if (!ok_) return kvproto::result::kSocketError;
    kvproto::Header header;
    header.kind = static_cast<std::uint8_t>(kind);
    header.requestId = NewRequestId();
    header.mac = mac;
    const auto request = kvproto::Encode(header, payload);
    const ReplyCheck check(header, sources);
    std::vector<Reply> replies;
    std::vector<std::uint32_t> unreachable;
    for (int attempt = 0; attempt < timing.attempts; ++attempt) {
        Send(address, request);
        const auto deadline = Clock::now() + timing.attemptWait;
        while (Clock::now() < deadline) {
            replies.clear();
            unreachable.clear();
            Wait(deadline, &replies, &unreachable);
            // Nobody listens there: asking again will not help.
            if (std::find(unreachable.begin(), unreachable.end(), address) != unreachable.end())
                return kvproto::result::kNoAnswer;
            for (const auto& r : replies) {
                const auto m = check.Accept(r.address, r.port, r.bytes);
                if (!m || (!m->payload.empty() && m->payload.size() != out.size())) continue;
                std::copy(m->payload.begin(), m->payload.end(), out.begin());
                return m->header.result;
            }
        }
    }
    return kvproto::result::kNoAnswer;
}

}  // namespace kvsetup
