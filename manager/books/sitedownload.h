// Address books to many family-520 terminals at once: the same sequence as one terminal's download
// page (login, entries, online check, job, logout), run for up to N terminals at a time, each with
// its own socket, waits and stop request.
//
// Only the table jobs overlap; the device-access calls of the workers go to the library, which
// takes them one at a time. Workers report through events that the caller takes on its own thread
// (the command line's main thread, the window thread), where texts are translated and shown.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "manager/access/deviceaccess.h"
#include "manager/books/bookdownload.h"
#include "manager/hostdl/hostdownload.h"
#include "manager/params/paramblock.h"
#include "manager/params/paramdevice.h"

// A terminal as the library reaches it: by address, or by MAC on the local network.
struct TSiteTarget {
    std::string label;          // how the caller names it (the address, the MAC text, ...)
    std::string accessAddress;  // empty: reached by MAC
    TMacBytes mac{};            // found by reaching a terminal given by address
};

// One selection sent to every terminal.
struct TSiteBook {
    EDownloadKind kind = EDownloadKind::Contacts;
    TListRows rows;
};

// How the workers reach, read and log in to a terminal. Called on worker threads; every failure
// gives its reason in *error, already in the language the caller shows. The device-access calls
// inside go through the caller's library.
struct TSiteAccess {
    // Finds the terminal (a target by address gets its MAC) and reads its parameter block.
    std::function<bool(TSiteTarget& target, TParamBlock& block, std::string* error)> read;
    std::function<bool(const TSiteTarget& target, std::string* error)> login;
    std::function<void(const TSiteTarget& target)> logout;
    TSearchOne searchOne;
    std::string offlineText;  // the page's text for a terminal that does not answer its address
    std::string notBookText;  // for a model without address book; "%s" stands for the model
};

// The reasons a terminal fails before its job, in the caller's language; "%d" stands for the
// library's result.
struct TSiteTexts {
    std::string noAnswer;          // the address search found nobody
    std::string readFailed;        // every read of the block failed
    std::string wantsLogin;        // the terminal asks for credentials and none were given
    std::string refused;           // the credentials were refused
    std::string loginFailed;       // another login result
    std::string offline, notBook;  // as TSiteAccess
};

// The steps through a device-access library with the callers' retry rules (paramdevice.h): the
// credentials are offered only when a terminal asks for them. access must outlive the run and
// take calls from several threads.
TSiteAccess DeviceSiteAccess(IDeviceAccess& access,
                             const std::optional<TLoginCredentials>& credentials,
                             const TSiteTexts& texts);

enum class TSiteOutcome {
    kDone,
    kFailed,
    kStopped,     // the stop request ended it
    kSkipped,     // read, but a model without address book: nothing was sent
    kNotStarted,  // stopped before its turn came
};
// "ok", "failed", "stopped", "skipped", "not started": the result words of lines and reports.
const char* SiteOutcomeWord(TSiteOutcome outcome);

struct TSiteEvent {
    enum class TKind {
        kStarted,   // the terminal's turn has come
        kProgress,  // a text of the job (progress, or job result when result is set)
        kNote,      // a reason why a step failed
        kEnded,
    };
    TKind kind = TKind::kStarted;
    std::size_t terminal = 0;                      // index into the targets
    TProgressText progress;                        // kProgress
    int addParts = 0;                              // kProgress
    bool result = false;                           // kProgress: the job's final text
    std::string note;                              // kNote
    TSiteOutcome outcome = TSiteOutcome::kFailed;  // kEnded
    std::string mac;                               // kEnded: the MAC text, when known
};

inline constexpr int kMaxSiteJobs = 64;

class TSiteDownload {
  public:
    TSiteDownload(std::vector<TSiteBook> books, TSiteAccess access, THostTiming timing = {});
    ~TSiteDownload();  // stops what still runs and waits for it
    TSiteDownload(const TSiteDownload&) = delete;
    TSiteDownload& operator=(const TSiteDownload&) = delete;

    // Starts the workers: up to jobs terminals at a time (1..kMaxSiteJobs), in the given order.
    // wake, when given, is called on a worker thread after each new event.
    void Start(std::vector<TSiteTarget> targets, int jobs, std::function<void()> wake = {});
    // The events since the last call; waits up to wait for the first when there is none.
    std::vector<TSiteEvent> TakeEvents(std::chrono::milliseconds wait);
    // Yes once every terminal has ended and its events have been taken.
    bool Finished() const;
    // Sets every terminal's stop request; terminals whose turn has not come never start.
    void Stop();
    const std::vector<TSiteTarget>& Targets() const { return targets_; }

  private:
    class TForwarder;
    void Work();
    TSiteOutcome RunOne(std::size_t index);
    bool RunBook(std::size_t index, const TSiteBook& book, const TSiteTarget& target,
                 const std::string& address);
    void Post(TSiteEvent event);
    void PostNote(std::size_t index, std::string text);

    const std::vector<TSiteBook> books_;
    const TSiteAccess access_;
    const THostTiming timing_;
    std::vector<TSiteTarget> targets_;
    std::vector<std::unique_ptr<TStopRequest>> stops_;
    std::function<void()> wake_;

    mutable std::mutex mu_;
    std::condition_variable cv_;
    std::vector<TSiteEvent> events_;
    std::size_t next_ = 0;   // the next terminal to start
    std::size_t ended_ = 0;  // terminals whose kEnded was posted
    bool stopped_ = false;
    std::vector<std::thread> workers_;
};

// What the person watching keeps of each terminal: the line of a report and the progress bar.
struct TSiteRow {
    std::string label, mac;
    std::string state;               // "" while waiting, "running", then the result word
    std::vector<std::string> texts;  // every text shown, in order
    int parts = 0, total = 0;        // the progress bar, over every selection
    THostClock::time_point started{}, ended{};
    bool finished = false;
    TSiteOutcome outcome = TSiteOutcome::kNotStarted;
};

// A report of terminals: terminal, MAC, result, steps (one a line), duration (seconds, one
// decimal). A row that never ended says "not started" unless its state says why (skipped).
std::vector<std::string> SiteReportHeader();
std::vector<std::vector<std::string>> SiteReportRows(const std::vector<TSiteRow>& rows);

// Follows the events of a run on the caller's thread, translating the job's texts there.
class TSiteLog {
  public:
    TSiteLog(const std::vector<TSiteTarget>& targets, const std::vector<TSiteBook>& books);
    // The row the event changed.
    std::size_t Apply(const TSiteEvent& event);
    const std::vector<TSiteRow>& Rows() const { return rows_; }
    std::size_t Count(TSiteOutcome outcome) const;
    // "N ok, N failed, N stopped, N skipped, N not started of N terminals"
    std::string Summary() const;
    std::vector<std::vector<std::string>> ReportRows() const { return SiteReportRows(rows_); }

  private:
    std::vector<TSiteRow> rows_;
    int bookCount_ = 0;  // each selection's bar starts with one part done, as one terminal's does
};

// The parts of the progress bar of one terminal: the jobs' totals added up.
int SiteProgressTotal(const std::vector<TSiteBook>& books);
