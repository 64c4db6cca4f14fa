// The seven exported calls of libkvsetup.so, on top of the protocol client.
#include "kvsetup/kvsetup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/textutil.h"
#include "kvsetup/kvclient.h"
#include "kvsetup/targets.h"

#define KV_EXPORT extern "C" KV_EXPORTED

namespace {

using kvproto::Kind;
namespace kr = kvproto::result;

// Credentials on the wire: each field up to its terminator, zero-padded.
std::array<std::uint8_t, kvproto::kCredentialsSize> CredentialBytes(const TDeviceCredentials& c) {
    std::array<std::uint8_t, kvproto::kCredentialsSize> out{};
    std::memcpy(out.data(), c.user, strnlen(c.user, sizeof c.user));
    std::memcpy(out.data() + 16, c.password, strnlen(c.password, sizeof c.password));
    return out;
}

// The search targets. A KVSETUP_TARGETS text with an item that does not parse fails every call
// (kBadTargets) rather than quietly probing fewer addresses; the bad item is named on stderr,
// once per text, since a caller has nothing but the result code.
bool ReadTargets(std::vector<std::uint32_t>& targets) {
    std::string error;
    targets = kvsetup::CurrentTargets(&error);
    if (error.empty()) return true;
    static std::mutex mutex;
    static std::string reported;
    std::lock_guard lock(mutex);
    if (error != reported) {
        std::fprintf(stderr, "libkvsetup: %s\n", error.c_str());
        reported = error;
    }
    return false;
}

// Where a call goes: the dotted IP text, or, when it is empty, wherever the terminal with this
// MAC answers among the search targets. Replies count from that address only, or, for a terminal
// addressed by MAC alone, from any target. Returns a result code other than 1 on failure.
struct Destination {
    std::uint32_t address = 0;
    std::vector<std::uint32_t> sources;
};

std::int32_t Resolve(kvsetup::Client& client, const char* ip, const kvproto::Mac& mac,
                     const kvsetup::Timing& timing, Destination* to) {
    std::vector<std::uint32_t> targets;
    if (!ReadTargets(targets)) return kr::kBadTargets;
    const std::string_view text = TrimBlanks(std::string_view(ip, strnlen(ip, 64)));
    if (!text.empty()) {
        if (!kvsetup::ParseDotted(text, &to->address)) return kr::kBadArgument;
        if (!kvsetup::IsPermitted(to->address, targets)) return kr::kNotPermitted;
        to->sources = {to->address};
        return kr::kOk;
    }
    if (kvproto::IsZeroMac(mac)) return kr::kBadArgument;  // neither address nor MAC
    const auto found = client.Probe(targets, mac, timing.searchWindow, true);
    if (found.empty()) return kr::kNoAnswer;
    to->address = found.front().address;
    to->sources = std::move(targets);
    return kr::kOk;
}

// The address a written block gives the terminal (offset 144, dotted order): the terminal
// answers the write from there once it has moved.
std::uint32_t BlockAddress(std::span<const std::uint8_t> block) {
    constexpr std::size_t kAddressOffset = 144;
    std::uint32_t address = 0;
    for (std::size_t i = 0; i < 4; ++i)
        address = (address << 8) | block[kAddressOffset + i];
    return address;
}

// One call addressed by IP text and MAC.
std::int32_t Call(const char* ip, const std::uint8_t* macBytes, Kind kind,
                  std::span<const std::uint8_t> payload, std::span<std::uint8_t> out) {
    if (!ip || !macBytes) return kr::kBadArgument;
    kvproto::Mac mac;
    std::copy_n(macBytes, mac.size(), mac.begin());
    kvsetup::Client client;
    if (!client.Ok()) return kr::kSocketError;
    const auto timing = kvsetup::CurrentTiming();
    Destination to;
    const std::int32_t resolved = Resolve(client, ip, mac, timing, &to);
    if (resolved != kr::kOk) return resolved;
    if (kind == Kind::kWrite) to.sources.push_back(BlockAddress(payload));
    return client.Request(to.address, to.sources, kind, mac, payload, out, timing);
}

std::int32_t CredentialCall(const char* ip, const std::uint8_t* mac, Kind kind,
                            const TDeviceCredentials* cred) {
    if (!cred) return kr::kBadArgument;
    const auto bytes = CredentialBytes(*cred);
    return Call(ip, mac, kind, bytes, {});
}

}  // namespace

KV_EXPORT int32_t KV_CALL kv_search_all(TDeviceRecord* records, int32_t* count) {
    if (!records || !count || *count < 0) return kr::kBadArgument;
    if (*count == 0) return kr::kOk;
    std::vector<std::uint32_t> targets;
    if (!ReadTargets(targets)) return kr::kBadTargets;
    kvsetup::Client client;
    if (!client.Ok()) return kr::kSocketError;
    const auto found =
        client.Probe(targets, kvproto::Mac{}, kvsetup::CurrentTiming().searchWindow, false);
    const auto n = std::min<std::size_t>(found.size(), static_cast<std::size_t>(*count));
    for (std::size_t i = 0; i < n; ++i)
        std::memcpy(records[i].bytes, found[i].record.data(), sizeof records[i].bytes);
    *count = static_cast<int32_t>(n);
    return kr::kOk;
}

KV_EXPORT int32_t KV_CALL kv_search_one(const char* ip, TDeviceRecord* record) {
    if (!ip || !record) return kr::kBadArgument;
    const std::uint8_t anyMac[6] = {};
    std::array<std::uint8_t, kvproto::kRecordSize> bytes;
    const std::int32_t result = Call(ip, anyMac, Kind::kProbe, {}, bytes);
    if (result == kr::kOk) std::memcpy(record->bytes, bytes.data(), bytes.size());
    return result;
}

KV_EXPORT int32_t KV_CALL kv_login(const char* ip, const uint8_t* mac, TDeviceCredentials* cred) {
    return CredentialCall(ip, mac, Kind::kLogin, cred);
}

KV_EXPORT int32_t KV_CALL kv_logout(const char* ip, const uint8_t* mac, TDeviceCredentials* cred) {
    return CredentialCall(ip, mac, Kind::kLogout, cred);
}

KV_EXPORT int32_t KV_CALL kv_reset(const char* ip, const uint8_t* mac, TDeviceCredentials* cred) {
    return CredentialCall(ip, mac, Kind::kReset, cred);
}

KV_EXPORT int32_t KV_CALL kv_read_setting2(const char* ip, const uint8_t* mac, uint8_t* block,
                                           TDeviceCredentials* /*cred: reading needs no login*/) {
    if (!block) return kr::kBadArgument;
    std::array<std::uint8_t, kvproto::kBlockSize> bytes;
    const std::int32_t result = Call(ip, mac, Kind::kRead, {}, bytes);
    if (result == kr::kOk) std::memcpy(block, bytes.data(), bytes.size());
    return result;
}

KV_EXPORT int32_t KV_CALL
kv_write_setting2(const char* ip, const uint8_t* mac, uint8_t* block, int32_t length,
                  TDeviceCredentials* /*cred: the login opened the session*/) {
    if (!block) return kr::kBadArgument;
    if (length != static_cast<int32_t>(kvproto::kBlockSize)) return kr::kBadLength;
    return Call(ip, mac, Kind::kWrite, std::span<const std::uint8_t>(block, kvproto::kBlockSize),
                {});
}
