// The socket of a table download: one UDP socket on any free local port of the host.
#pragma once

#include "common/udpsocket.h"
#include "manager/hostdl/hostdownload.h"

class TUdpHostLink : public IHostLink {
  public:
    // Binds the socket; Ready() tells whether that worked. Waits end early at a stop request.
    explicit TUdpHostLink(const TStopRequest& stop);

    bool Ready() const override { return ready_; }
    THostClock::time_point Now() const override { return THostClock::now(); }
    void Send(std::uint32_t address, std::uint16_t port,
              std::span<const std::uint8_t> bytes) override;
    std::optional<THostDatagram> Receive(std::chrono::milliseconds timeout) override;
    void Pause(std::chrono::milliseconds time) override { stop_.WaitFor(time); }
    void DiscardWaiting() override;

  private:
    const TStopRequest& stop_;
    TUdpSocket socket_;
    bool ready_ = false;
};

// One job over a UDP socket of its own, as the progress dialog's worker and the command line run
// it: yes when no step failed.
bool RunDownloadJobOverUdp(EDownloadKind kind, std::string_view address,
                           const TDownloadEntries& entries, IDownloadProgress& progress,
                           const TStopRequest& stop, const THostTiming& timing = {});
