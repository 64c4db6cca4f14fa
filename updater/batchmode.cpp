#include "updater/batchmode.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "common/atomicfile.h"
#include "common/textutil.h"
#include "updater/handoff.h"
#include "updater/programtexts.h"
#include "updater/report.h"
#include "updater/updatefile.h"
#include "updater/workerpool.h"

namespace fs = std::filesystem;

namespace {

struct TConsoleRow {
    TDevListRow row;
    std::string process;
    bool checked = true;
};

// The device list of batch mode: every row checked, the log on a stream.
class TBatchConsole : public IBatchView {
  public:
    TBatchConsole(std::vector<TDevListRow> rows, int threads, std::FILE* out, QEventLoop& loop)
        : threads_(threads), out_(out), loop_(loop) {
        for (TDevListRow& row : rows)
            rows_.push_back({std::move(row), {}});
    }

    std::size_t RowCount() const override { return rows_.size(); }
    bool RowChecked(std::size_t row) const override { return rows_[row].checked; }
    std::string RowIpText(std::size_t row) const override { return rows_[row].row.ip; }
    std::string RowVersionText(std::size_t row) const override { return rows_[row].row.version; }
    void SetRowProcess(std::size_t row, const std::string& text) override {
        rows_[row].process = text;
    }
    void SetRowVersion(std::size_t row, const std::string& text) override {
        rows_[row].row.version = text;
    }
    void AppendLog(const std::string& line) override {
        std::fprintf(out_, "%s\n", line.c_str());
        std::fflush(out_);
    }
    // The scheduler enables Start again exactly when the batch is over.
    void SetStartEnabled(bool enabled) override {
        if (enabled) loop_.quit();
    }
    int ThreadsLimit() const override { return threads_; }

    const std::vector<TConsoleRow>& Rows() const { return rows_; }
    // A retry round runs only the given rows.
    void CheckOnly(const std::vector<std::size_t>& rows) {
        for (TConsoleRow& row : rows_)
            row.checked = false;
        for (std::size_t row : rows)
            rows_[row].checked = true;
    }
    std::vector<TDevListRow> ListedRows() const {
        std::vector<TDevListRow> listed;
        for (const TConsoleRow& row : rows_)
            listed.push_back(row.row);
        return listed;
    }

  private:
    std::vector<TConsoleRow> rows_;
    int threads_;
    std::FILE* out_;
    QEventLoop& loop_;
};

// The overall line of --progress: printed when it changed, at most once a second, and at the end
// when a second has passed since the last one (the summary lines tell the rest).
class TProgressLine {
  public:
    TProgressLine(const TBatchScheduler& scheduler, std::FILE* err)
        : scheduler_(scheduler), err_(err) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Print(); });
    }
    void Begin() {
        timer_.start(1000);
        since_.start();
    }
    void End() {
        timer_.stop();
        if (!printed_ || since_.elapsed() >= 1000) Print();
    }

  private:
    void Print() {
        const TBatchCounts c = scheduler_.Counts();
        char text[128];
        std::snprintf(text, sizeof text, "done %u, failed %u, running %u, waiting %u", c.done,
                      c.failed, c.running, c.waiting);
        if (printed_ && last_ == text) return;
        last_ = text;
        printed_ = true;
        since_.restart();
        std::fprintf(err_, "%s\n", text);
        std::fflush(err_);
    }

    const TBatchScheduler& scheduler_;
    std::FILE* err_;
    QTimer timer_;
    QElapsedTimer since_;
    std::string last_;
    bool printed_ = false;
};

int NotStarted(std::FILE* err, const std::string& message) {
    std::fprintf(err, "%s\n", message.c_str());
    return kBatchNotStarted;
}

bool ReadPasswordFile(const std::string& file, std::string* password, std::string* error) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) {
        *error = "Cannot open file \"" + file + "\".";
        return false;
    }
    std::string_view rest = bytes;
    *password = TakeLine(rest);
    return true;
}

}  // namespace

bool ParseBatchArguments(const std::vector<std::string>& args, TBatchOptions* options,
                         std::string* error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* into) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            *into = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--batch") continue;
        if (arg == "--file") {
            if (!value(&options->updateFile)) return false;
        } else if (arg == "--list") {
            if (!value(&options->listFile)) return false;
        } else if (arg == "--password") {
            if (!value(&text)) return false;
            options->password = text;
        } else if (arg == "--password-file") {
            if (!value(&options->passwordFile)) return false;
        } else if (arg == "--threads") {
            if (!value(&text)) return false;
            try {
                std::size_t used = 0;
                options->threads = std::stoi(text, &used);
                if (used != text.size()) options->threads = 0;
            } catch (const std::exception&) {
                options->threads = 0;  // not a whole number: no limit, as in the window
            }
        } else if (arg == "--no-pak") {
            options->noPak = true;
        } else if (arg == "--progress") {
            options->progress = true;
        } else if (arg == "--report") {
            if (!value(&options->reportFile)) return false;
        } else if (arg == "--retry") {
            if (!value(&text)) return false;
            std::size_t used = 0;
            try {
                options->retries = std::stoi(text, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == 0 || used != text.size() || options->retries < 0) {
                *error = "--retry needs a whole number of 0 or more";
                return false;
            }
        } else if (arg == "--home") {
            if (!value(&text)) return false;
            options->programFolder = Utf8Path(text);
        } else {
            *error = "unknown argument " + arg;
            return false;
        }
    }
    if (options->updateFile.empty()) {
        *error = "--file UPDATE.bin is required";
        return false;
    }
    if (options->password && !options->passwordFile.empty()) {
        *error = "give --password or --password-file, not both";
        return false;
    }
    return true;
}

int RunBatch(const TBatchOptions& options, std::FILE* out, std::FILE* err) {
    std::vector<TDevListRow> rows;
    std::string error;
    fs::path list = options.listFile.empty() ? options.programFolder / kHandoffFileName
                                             : Utf8Path(options.listFile);
    if (!LoadHandoff(list, &rows, &error)) return NotStarted(err, error);

    std::string password = options.password.value_or("");
    if (!options.passwordFile.empty() && !ReadPasswordFile(options.passwordFile, &password, &error))
        return NotStarted(err, error);
    if (!PasswordFits(password)) return NotStarted(err, kPasswordTooLong);

    QEventLoop loop;
    TBatchConsole console(std::move(rows), options.threads, out, loop);
    for (const char* line : kInitialLog)
        console.AppendLog(line);
    console.AppendLog(AgentPortLine());

    TJobRequest request{options.updateFile, !options.noPak, {}, options.programFolder};
    if (request.pakChecked)
        request.pakName = FindPakFile(Utf8Path(options.updateFile).parent_path());
    TJobMessage message;
    std::string warning;
    std::optional<TUpdateJob> job = BuildUpdateJob(
        request, [&](const std::string& line) { console.AppendLog(line); }, &message, &warning);
    if (!job) return NotStarted(err, message.text);
    if (!warning.empty()) std::fprintf(err, "%s\n", warning.c_str());
    job->password = password;

    TWorkerPool pool(options.times);
    TBatchScheduler scheduler(console, pool);
    pool.SetProgressHandler([&](std::uint32_t address, std::uint32_t param) {
        scheduler.HandleProgress(address, param);
    });
    TProgressLine progress(scheduler, err);
    if (options.progress) progress.Begin();
    if (!scheduler.Start(std::make_shared<const TUpdateJob>(std::move(*job))))
        return NotStarted(err, kNoDeviceSelected);
    if (scheduler.Running()) loop.exec();
    for (int round = 2; round <= options.retries + 1; ++round) {
        std::vector<std::size_t> failed = scheduler.RetriableRows();
        if (failed.empty()) break;
        console.CheckOnly(failed);
        if (!scheduler.Start(scheduler.Job(), static_cast<unsigned>(round))) break;
        if (scheduler.Running()) loop.exec();
    }
    if (options.progress) progress.End();

    bool allOk = true;
    if (!options.reportFile.empty() &&
        !WriteReport(options.reportFile, console.ListedRows(), scheduler.Outcomes(), &error)) {
        std::fprintf(err, "Cannot write the report %s: %s\n", options.reportFile.c_str(),
                     error.c_str());
        allOk = false;
    }
    for (const TConsoleRow& row : console.Rows()) {
        std::fprintf(out, "%s\t%s\t%s\n", row.row.ip.c_str(), row.process.c_str(),
                     row.row.version.c_str());
        allOk = allOk && row.process == "OK";
    }
    std::fflush(out);
    return allOk ? kBatchAllOk : kBatchFault;
}
