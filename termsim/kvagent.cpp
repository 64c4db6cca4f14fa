#include "termsim/kvagent.h"

#include <algorithm>
#include <cstring>

#include "kvsetup/kvproto.h"
#include "manager/params/paramblock.h"

namespace termsim {
namespace {

using kvproto::Kind;
namespace kr = kvproto::result;

constexpr auto kSessionIdle = std::chrono::minutes(10);

void PutIp(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A fixed text field copied into a record field of the same or smaller width, terminated.
void CopyText(std::uint8_t* to, std::size_t toWidth, const std::uint8_t* from,
              std::size_t fromWidth) {
    const std::size_t n = strnlen(reinterpret_cast<const char*>(from), fromWidth);
    std::memcpy(to, from, std::min(n, toWidth - 1));
}

// The bytes of a 16-byte credential field up to its terminator.
std::string_view FieldBytes(const std::uint8_t* p) {
    const char* c = reinterpret_cast<const char*>(p);
    return std::string_view(c, strnlen(c, 16));
}

bool IsKnownRequest(std::uint8_t kind) {
    return kind >= static_cast<std::uint8_t>(Kind::kProbe) &&
           kind <= static_cast<std::uint8_t>(Kind::kWrite);
}

}  // namespace

std::array<std::uint8_t, 360> BuildRecord(const TerminalState& s, std::uint32_t interfaceAddress) {
    std::array<std::uint8_t, 360> r{};
    const auto& b = s.block;
    CopyText(&r[4], 32, &b[44], 32);
    std::copy_n(b.begin() + 2, 6, r.begin() + 52);
    PutIp(&r[60], s.address);
    std::copy_n(b.begin() + 148, 16, r.begin() + 68);  // mask, gateway, DNS 1 and 2
    CopyText(&r[112], 32, &b[12], 32);
    PutIp(&r[156], interfaceAddress);
    CopyText(&r[180], 16, &b[660], 16);
    CopyText(&r[200], 32, &b[796], 32);
    return r;
}

std::uint16_t KvAgent::Port() const {
    return kvproto::kPort;
}

bool KvAgent::HasSession(std::uint32_t host) {
    const auto it = sessions_.find(host);
    if (it == sessions_.end()) return false;
    const auto now = Clock::now();
    if (now - it->second > kSessionIdle) {
        sessions_.erase(it);
        return false;
    }
    it->second = now;
    return true;
}

std::int32_t KvAgent::Login(std::uint32_t host, std::span<const std::uint8_t> credentials) {
    TerminalState& s = ctx_.State();
    if (s.faults.busyLogins > 0) {
        --s.faults.busyLogins;
        return kr::kBusy;
    }
    const std::string_view user = FieldBytes(&s.block[80]);
    if (!user.empty() && (FieldBytes(&credentials[0]) != user ||
                          FieldBytes(&credentials[16]) != FieldBytes(&s.block[96])))
        return kr::kCredentials;
    sessions_[host] = Clock::now();
    return kr::kOk;
}

std::int32_t KvAgent::Write(std::uint32_t host, std::span<const std::uint8_t> bytes) {
    if (!HasSession(host)) return kr::kNotLoggedIn;
    TerminalState& s = ctx_.State();
    TBlock next;
    std::copy(bytes.begin(), bytes.end(), next.begin());
    // What the terminal is, it keeps: MAC, model, firmware and run status are read-only.
    std::copy_n(s.block.begin() + 2, 6, next.begin() + 2);
    std::copy_n(s.block.begin() + 12, 64, next.begin() + 12);
    next[170] = s.block[170];
    const std::uint32_t address = (std::uint32_t{next[144]} << 24) |
                                  (std::uint32_t{next[145]} << 16) |
                                  (std::uint32_t{next[146]} << 8) | next[147];
    // With DHCP on the terminal keeps its address, as if the server handed it out again. With
    // DHCP off a new static address moves it; one it cannot take (outside loopback, already in
    // use) refuses the whole block, so the terminal never claims an address it does not answer on.
    const bool dhcp = next[ParamField("dhcp").offset] == 1;
    if (!dhcp && address != s.address && !ctx_.MoveTo(address)) return kr::kRefused;
    s.block = next;
    return kr::kOk;
}

void KvAgent::OnDatagram(const Endpoint& from, std::span<const std::uint8_t> bytes) {
    ++stats_.datagrams;
    TerminalState& s = ctx_.State();
    const auto message = kvproto::Decode(bytes);
    if (!message || !IsKnownRequest(message->header.kind) ||
        (!kvproto::IsZeroMac(message->header.mac) && message->header.mac != s.Mac())) {
        ++stats_.ignored;
        return;
    }
    const auto kind = static_cast<Kind>(message->header.kind);
    if (s.statusPeriod.count() > 0)
        s.block[170] = RunStatusAt(Clock::now() - s.started, s.statusPeriod, s.index);
    const auto payload = message->payload;
    kvproto::Header reply;
    reply.kind = message->header.kind | kvproto::kReplyBit;
    reply.requestId = message->header.requestId;
    reply.mac = s.Mac();
    std::span<const std::uint8_t> replyPayload;
    std::array<std::uint8_t, 360> record;

    if (payload.size() != kvproto::RequestPayloadSize(kind)) {
        reply.result = kr::kBadLength;
    } else {
        switch (kind) {
            case Kind::kProbe:
                ++stats_.probes;
                record = BuildRecord(s, from.address);
                replyPayload = record;
                reply.result = kr::kOk;
                break;
            case Kind::kLogin:
                ++stats_.logins;
                reply.result = Login(from.address, payload);
                break;
            case Kind::kLogout:
                ++stats_.logouts;
                sessions_.erase(from.address);
                reply.result = kr::kOk;
                break;
            case Kind::kReset:
                ++stats_.resets;
                reply.result = HasSession(from.address) ? kr::kOk : kr::kNotLoggedIn;
                break;
            case Kind::kRead:
                ++stats_.reads;
                replyPayload = s.block;
                reply.result = kr::kOk;
                break;
            case Kind::kWrite:
                ++stats_.writes;
                reply.result = Write(from.address, payload);
                break;
        }
    }
    ctx_.Send(from, kvproto::Encode(reply, replyPayload));
    // The reset is acknowledged first, then the terminal goes quiet while it restarts.
    if (kind == Kind::kReset && reply.result == kr::kOk) ctx_.Restart(ctx_.RestartTime());
}

}  // namespace termsim
