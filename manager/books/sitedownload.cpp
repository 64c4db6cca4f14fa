#include "manager/books/sitedownload.h"

#include <algorithm>
#include <cstdio>

#include "manager/hostdl/udphostlink.h"
#include "manager/params/paramfamily.h"

namespace {
TSiteEvent SiteEvent(TSiteEvent::TKind kind, std::size_t terminal) {
    TSiteEvent event;
    event.kind = kind;
    event.terminal = terminal;
    return event;
}
std::string WithNumber(std::string text, std::int32_t number) {
    if (const auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, ResultNumberText(number));
    return text;
}

}  // namespace

TSiteAccess DeviceSiteAccess(IDeviceAccess& access,
                             const std::optional<TLoginCredentials>& credentials,
                             const TSiteTexts& texts) {
    TSiteAccess steps;
    steps.read = [&access, texts](TSiteTarget& target, TParamBlock& block, std::string* error) {
        if (!target.accessAddress.empty()) {
            const std::int32_t found = FindTerminalAt(access, target.accessAddress, target.mac);
            if (found != kvresult::kOk) return *error = WithNumber(texts.noAnswer, found), false;
        }
        const std::int32_t read = ReadParamBlock(access, target.accessAddress, target.mac, block);
        if (read != kvresult::kOk) return *error = WithNumber(texts.readFailed, read), false;
        return true;
    };
    steps.login = [&access, credentials, texts](const TSiteTarget& target, std::string* error) {
        *error = LoginWithCredentials(
            access, target.accessAddress, target.mac, credentials,
            {texts.wantsLogin, texts.refused,
             [&texts](std::int32_t result) { return WithNumber(texts.loginFailed, result); }});
        return error->empty();
    };
    steps.logout = [&access](const TSiteTarget& target) {
        LogoutTerminal(access, target.accessAddress, target.mac);
    };
    steps.searchOne = [&access](const std::string& ip, TDeviceRecord* record) {
        return access.SearchOne(ip, record);
    };
    steps.offlineText = texts.offline;
    steps.notBookText = texts.notBook;
    return steps;
}

const char* SiteOutcomeWord(TSiteOutcome outcome) {
    switch (outcome) {
        case TSiteOutcome::kDone:
            return "ok";
        case TSiteOutcome::kFailed:
            return "failed";
        case TSiteOutcome::kStopped:
            return "stopped";
        case TSiteOutcome::kSkipped:
            return "skipped";
        case TSiteOutcome::kNotStarted:
            break;
    }
    return "not started";
}

// The job's texts of one terminal, as events.
class TSiteDownload::TForwarder : public IDownloadProgress {
  public:
    TForwarder(TSiteDownload& run, std::size_t terminal) : run_(run), terminal_(terminal) {}
    void ShowProgress(const TProgressText& text, int addParts) override {
        Forward(text, addParts, false);
    }
    void ShowJobResult(bool, const TProgressText& text) override { Forward(text, 0, true); }

  private:
    void Forward(const TProgressText& text, int addParts, bool result) {
        TSiteEvent event = SiteEvent(TSiteEvent::TKind::kProgress, terminal_);
        event.progress = text;
        event.addParts = addParts;
        event.result = result;
        run_.Post(std::move(event));
    }
    TSiteDownload& run_;
    std::size_t terminal_;
};

TSiteDownload::TSiteDownload(std::vector<TSiteBook> books, TSiteAccess access, THostTiming timing)
    : books_(std::move(books)), access_(std::move(access)), timing_(timing) {}

TSiteDownload::~TSiteDownload() {
    Stop();
    for (std::thread& worker : workers_)
        worker.join();
}

void TSiteDownload::Start(std::vector<TSiteTarget> targets, int jobs, std::function<void()> wake) {
    targets_ = std::move(targets);
    wake_ = std::move(wake);
    for (std::size_t i = 0; i < targets_.size(); ++i)
        stops_.push_back(std::make_unique<TStopRequest>());
    const auto count = std::min<std::size_t>(std::clamp(jobs, 1, kMaxSiteJobs), targets_.size());
    for (std::size_t i = 0; i < count; ++i)
        workers_.emplace_back([this] { Work(); });
}

std::vector<TSiteEvent> TSiteDownload::TakeEvents(std::chrono::milliseconds wait) {
    std::unique_lock lock(mu_);
    cv_.wait_for(lock, wait, [this] { return !events_.empty(); });
    std::vector<TSiteEvent> taken;
    taken.swap(events_);
    return taken;
}

bool TSiteDownload::Finished() const {
    std::lock_guard lock(mu_);
    return ended_ == targets_.size() && events_.empty();
}

void TSiteDownload::Stop() {
    {
        std::lock_guard lock(mu_);
        stopped_ = true;
    }
    for (const auto& stop : stops_)
        stop->Set();
}

void TSiteDownload::Post(TSiteEvent event) {
    {
        std::lock_guard lock(mu_);
        if (event.kind == TSiteEvent::TKind::kEnded) ++ended_;
        events_.push_back(std::move(event));
    }
    cv_.notify_all();
    if (wake_) wake_();
}

void TSiteDownload::PostNote(std::size_t index, std::string text) {
    TSiteEvent event = SiteEvent(TSiteEvent::TKind::kNote, index);
    event.note = std::move(text);
    Post(std::move(event));
}

void TSiteDownload::Work() {
    for (;;) {
        std::size_t index;
        bool stopped;
        {
            std::lock_guard lock(mu_);
            if (next_ == targets_.size()) return;
            index = next_++;
            stopped = stopped_;
        }
        TSiteEvent ended = SiteEvent(TSiteEvent::TKind::kEnded, index);
        ended.outcome = stopped ? TSiteOutcome::kNotStarted : RunOne(index);
        if (targets_[index].mac != TMacBytes{}) ended.mac = MacToText(targets_[index].mac.data());
        Post(std::move(ended));
    }
}

TSiteOutcome TSiteDownload::RunOne(std::size_t index) {
    Post(SiteEvent(TSiteEvent::TKind::kStarted, index));
    TSiteTarget& target = targets_[index];  // only this worker touches it
    auto fail = [&](std::string text) {
        PostNote(index, std::move(text));
        return stops_[index]->IsSet() ? TSiteOutcome::kStopped : TSiteOutcome::kFailed;
    };
    std::string error;
    TParamBlock block;
    if (!access_.read(target, block, &error)) return fail(error);
    // Only family-520 terminals keep host tables; others would never answer.
    if (BlockFamily(block) != TModelFamily::k520) {
        std::string text = access_.notBookText;
        if (const auto at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, GetFieldText(block, ParamField("model")));
        PostNote(index, std::move(text));
        return TSiteOutcome::kSkipped;
    }
    const std::string address = GetFieldIp(block, ParamField("ip"));
    for (const TSiteBook& book : books_) {
        if (stops_[index]->IsSet()) return TSiteOutcome::kStopped;
        if (!RunBook(index, book, target, address))
            return stops_[index]->IsSet() ? TSiteOutcome::kStopped : TSiteOutcome::kFailed;
    }
    return TSiteOutcome::kDone;
}

bool TSiteDownload::RunBook(std::size_t index, const TSiteBook& book, const TSiteTarget& target,
                            const std::string& address) {
    TBookDownloadSteps steps;
    steps.login = [&] {
        std::string error;
        if (access_.login(target, &error)) return true;
        PostNote(index, std::move(error));
        return false;
    };
    steps.logout = [&] { access_.logout(target); };
    steps.searchOne = access_.searchOne;
    steps.offline = [&] { PostNote(index, access_.offlineText); };
    steps.runJob = [&](const std::string& to, const TDownloadEntries& entries) {
        TForwarder progress(*this, index);
        return RunDownloadJobOverUdp(book.kind, to, entries, progress, *stops_[index], timing_);
    };
    return RunBookDownload(book.kind, book.rows, address, steps) == TBookDownloadOutcome::kDone;
}

int SiteProgressTotal(const std::vector<TSiteBook>& books) {
    int total = 0;
    for (const TSiteBook& book : books)
        total += DownloadProgressTotal(book.kind, BuildSelectionEntries(book.kind, book.rows));
    return total;
}

TSiteLog::TSiteLog(const std::vector<TSiteTarget>& targets, const std::vector<TSiteBook>& books) {
    const int total = SiteProgressTotal(books);
    for (const TSiteTarget& target : targets) {
        TSiteRow row;
        row.label = target.label;
        if (target.mac != TMacBytes{}) row.mac = MacToText(target.mac.data());
        row.total = total;
        rows_.push_back(std::move(row));
    }
    bookCount_ = static_cast<int>(books.size());
}

std::size_t TSiteLog::Apply(const TSiteEvent& event) {
    TSiteRow& row = rows_.at(event.terminal);
    switch (event.kind) {
        case TSiteEvent::TKind::kStarted:
            row.state = "running";
            row.started = THostClock::now();
            row.parts = bookCount_;
            break;
        case TSiteEvent::TKind::kProgress:
            row.texts.push_back(DownloadText(event.progress));
            row.parts = std::min(row.total, row.parts + event.addParts);
            break;
        case TSiteEvent::TKind::kNote:
            row.texts.push_back(event.note);
            break;
        case TSiteEvent::TKind::kEnded:
            row.finished = true;
            row.outcome = event.outcome;
            row.state = SiteOutcomeWord(event.outcome);
            row.ended = THostClock::now();
            if (!event.mac.empty()) row.mac = event.mac;
            if (event.outcome == TSiteOutcome::kDone) row.parts = row.total;
            break;
    }
    return event.terminal;
}

std::size_t TSiteLog::Count(TSiteOutcome outcome) const {
    return static_cast<std::size_t>(std::count_if(rows_.begin(), rows_.end(), [&](const auto& r) {
        return r.finished && r.outcome == outcome;
    }));
}

std::string TSiteLog::Summary() const {
    std::string text;
    std::size_t told = 0;
    for (const TSiteOutcome outcome : {TSiteOutcome::kDone, TSiteOutcome::kFailed,
                                       TSiteOutcome::kStopped, TSiteOutcome::kSkipped}) {
        told += Count(outcome);
        text += std::to_string(Count(outcome)) + " " + SiteOutcomeWord(outcome) + ", ";
    }
    return text + std::to_string(rows_.size() - told) + " not started of " +
           std::to_string(rows_.size()) + " terminals";
}

std::vector<std::string> SiteReportHeader() {
    return {"Terminal", "MAC", "Result", "Steps", "Duration (s)"};
}

std::vector<std::vector<std::string>> SiteReportRows(const std::vector<TSiteRow>& rows) {
    std::vector<std::vector<std::string>> out;
    for (const TSiteRow& row : rows) {
        std::string steps;
        for (const std::string& text : row.texts)
            steps += (steps.empty() ? "" : "\n") + text;
        std::string duration;
        if (row.started != THostClock::time_point{} && row.finished) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.1f",
                          std::chrono::duration<double>(row.ended - row.started).count());
            duration = buffer;
        }
        // A row that never ran says so, unless its state tells why (skipped).
        const bool told = row.finished || (!row.state.empty() && row.state != "running");
        out.push_back({row.label, row.mac, told ? row.state : "not started", steps, duration});
    }
    return out;
}
