// The table download: erase a table of a family-520 terminal, then write it in batches of up to 16
// entries, with the waits, sends and retries of the host protocol.
//
// A job runs on one thread (a worker thread in the manager) and reports through IDownloadProgress;
// the stop request may be set from any thread and is seen at the points where the procedure
// checks it. Every wait ends early when the stop request is set, so a stopped job returns quickly.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "manager/hostdl/hostentries.h"
#include "manager/hostdl/hostpacket.h"

using THostClock = std::chrono::steady_clock;

// Set by the progress dialog's stop button (any thread), read by the job.
class TStopRequest {
  public:
    void Set();
    void Clear();
    bool IsSet() const { return set_.load(); }
    // Waits for the time given, or less when the request is set.
    void WaitFor(std::chrono::milliseconds time) const;

  private:
    std::atomic<bool> set_{false};
    mutable std::mutex mu_;
    mutable std::condition_variable cv_;
};

struct THostDatagram {
    std::vector<std::uint8_t> bytes;
    std::uint32_t address = 0;  // host order
    std::uint16_t port = 0;
};

// The socket of a job. Waits end early when the job's stop request is set.
class IHostLink {
  public:
    virtual ~IHostLink() = default;
    virtual bool Ready() const = 0;  // false when no socket could be opened
    virtual THostClock::time_point Now() const = 0;
    virtual void Send(std::uint32_t address, std::uint16_t port,
                      std::span<const std::uint8_t> bytes) = 0;
    // One datagram within timeout (read whole, up to 64 KiB), or nullopt.
    virtual std::optional<THostDatagram> Receive(std::chrono::milliseconds timeout) = 0;
    virtual void Pause(std::chrono::milliseconds time) = 0;
    // Drops every datagram already waiting.
    virtual void DiscardWaiting() = 0;
};

// The waits of the protocol; tests shorten them, the program keeps these.
struct THostTiming {
    std::chrono::milliseconds eraseSettle{1000};  // after each send of an erase
    std::chrono::milliseconds writeSettle{500};   // after each send of a batch
    std::chrono::milliseconds receive{1000};      // longest wait for one reply
    std::chrono::milliseconds retryPause{500};    // between two waits for an erase reply
};

inline constexpr int kEraseSends = 3;
inline constexpr int kEraseReceives = 20;  // waits per erase send
inline constexpr int kWriteSends = 5;

// Step results of DownloadTable.
namespace hoststep {
inline constexpr int kDone = 1;          // erased and every entry written
inline constexpr int kNothing = 0;       // erased; nothing to write
inline constexpr int kWriteFailed = -1;  // a batch failed
inline constexpr int kEraseFailed = -2;  // the erase failed, or no entries, address or port
inline constexpr int kStopped = -3;      // stopped while writing
}  // namespace hoststep

// A text of the progress dialog: "Pelmora/Messagedlg/FrmDownloadWait/keyWord" + keyWord, with
// count in place of its %d (texts without %d carry count -1).
struct TProgressText {
    int keyWord = 0;
    int count = -1;
    bool operator==(const TProgressText&) const = default;
};
std::string DownloadTextKey(int keyWord);
std::string DownloadDefaultText(int keyWord);  // empty for numbers without a text
// The translated text with its count (call it where translation is allowed: the window thread).
std::string DownloadText(const TProgressText& text);

class IDownloadProgress {
  public:
    virtual ~IDownloadProgress() = default;
    // The current text; the bar advances by addParts (0: not at all).
    virtual void ShowProgress(const TProgressText& text, int addParts) = 0;
    virtual void ShowJobResult(bool success, const TProgressText& text) = 0;
};

class THostDownloader {
  public:
    THostDownloader(IHostLink& link, IDownloadProgress& progress, const TStopRequest& stop,
                    THostTiming timing = {});

    // The contact job (device, group, group-device table) or the zone job against the dotted
    // address, then ShowJobResult. Yes when no step failed.
    bool RunDownloadJob(EDownloadKind kind, std::string_view address,
                        const TDownloadEntries& entries);
    // One table: a step result (hoststep). entries may be null (missing list).
    int DownloadTable(EHostTable table, std::string_view address,
                      const std::vector<THostEntry>* entries, int port = kHostPort);
    bool EraseTable(EHostTable table, std::uint32_t address, std::uint16_t port);
    bool WriteBatch(EHostTable table, std::uint32_t address, std::uint16_t port,
                    std::uint16_t startIndex, std::span<const THostEntry> entries);

  private:
    // One wait for a reply from the terminal's address (any port). Datagrams from anyone else, and
    // invalid ones, are passed over within the same wait; a refusal ends it.
    bool AwaitDone(std::uint32_t address);

    IHostLink& link_;
    IDownloadProgress& progress_;
    const TStopRequest& stop_;
    THostTiming timing_;
};
