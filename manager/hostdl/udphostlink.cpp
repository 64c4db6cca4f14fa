#include "manager/hostdl/udphostlink.h"

#include <algorithm>

namespace {
// Whole datagrams are read, so that longer ones are seen as such and refused.
constexpr std::size_t kMaxDatagram = 65536;
// A receive looks at the stop request this often.
constexpr std::chrono::milliseconds kStopPoll{50};

THostDatagram ToHostDatagram(TUdpSocket::Datagram&& d) {
    return {std::move(d.bytes), d.address, d.port};
}
}  // namespace

TUdpHostLink::TUdpHostLink(const TStopRequest& stop)
    : stop_(stop), ready_(socket_.Valid() && socket_.Bind(0, 0)) {}

void TUdpHostLink::Send(std::uint32_t address, std::uint16_t port,
                        std::span<const std::uint8_t> bytes) {
    socket_.SendTo(address, port, bytes.data(), bytes.size());
}

std::optional<THostDatagram> TUdpHostLink::Receive(std::chrono::milliseconds timeout) {
    const auto deadline = THostClock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - THostClock::now());
        const bool last = stop_.IsSet() || left <= kStopPoll;
        const auto slice = stop_.IsSet()
                               ? std::chrono::milliseconds(0)
                               : std::clamp(left, std::chrono::milliseconds(0), kStopPoll);
        if (auto d = socket_.Receive(static_cast<int>(slice.count()), kMaxDatagram))
            return ToHostDatagram(std::move(*d));
        if (last) return std::nullopt;
    }
}

void TUdpHostLink::DiscardWaiting() {
    while (socket_.TryReceive(kMaxDatagram)) {
    }
}

bool RunDownloadJobOverUdp(EDownloadKind kind, std::string_view address,
                           const TDownloadEntries& entries, IDownloadProgress& progress,
                           const TStopRequest& stop, const THostTiming& timing) {
    TUdpHostLink link(stop);
    THostDownloader downloader(link, progress, stop, timing);
    return downloader.RunDownloadJob(kind, address, entries);
}
