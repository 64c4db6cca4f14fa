#include "manager/hostdl/hostdownload.h"

#include <algorithm>

#include "common/ipv4parse.h"
#include "common/translation.h"

namespace {

struct TTextEntry {
    int keyWord;
    const char* text;
};

constexpr TTextEntry kTexts[] = {
    {1, "下载成功"},
    {2, "下载失败"},
    {3, "正在擦除设备表，请稍等。。。"},
    {4, "设备表擦除成功"},
    {5, "设备表擦除失败"},
    {6, "正在写设备表，请稍等。。。"},
    {7, "正在写设备表，已写设备个数(%d)。。。"},
    {8, "写设备表失败"},
    {9, "正在擦除分区表，请稍等。。。"},
    {10, "分区表擦除成功"},
    {11, "分区表擦除失败"},
    {12, "正在写分区表，请稍等。。。"},
    {13, "正在写分区表，已写分区个数(%d)。。。"},
    {14, "写分区表失败"},
    {21, "正在擦除分组表，请稍等。。。"},
    {22, "分组表擦除成功"},
    {23, "分组表擦除失败"},
    {24, "正在写分组表，请稍等。。。"},
    {25, "正在写分组表，已写分组个数(%d)。。。"},
    {26, "写分组表失败"},
    {27, "正在擦除分组设备表，请稍等。。。"},
    {28, "分组设备表擦除成功"},
    {29, "分组设备表擦除失败"},
    {30, "正在写分组设备表，请稍等。。。"},
    {31, "正在写分组设备表，已写分组设备个数(%d)。。。"},
    {32, "写分组设备表失败"},
};

constexpr int kJobDone = 1;
constexpr int kJobFailed = 2;

// Each table's six texts in a row: erasing, erased, erase failed, writing, written, write failed.
struct TTableTexts {
    int first;
    TProgressText Erasing() const { return {first}; }
    TProgressText Erased() const { return {first + 1}; }
    TProgressText EraseFailed() const { return {first + 2}; }
    TProgressText Writing() const { return {first + 3}; }
    TProgressText Written(int count) const { return {first + 4, count}; }
    TProgressText WriteFailed() const { return {first + 5}; }
};

TTableTexts TextsOf(EHostTable table) {
    switch (table) {
        case EHostTable::Zone:
            return {9};
        case EHostTable::Group:
            return {21};
        case EHostTable::GroupDevice:
            return {27};
        default:
            return {3};
    }
}

bool ParseDotted(std::string_view text, std::uint32_t* address) {
    const std::optional<std::uint32_t> parsed = ParseIpv4Strict(text);
    if (parsed) *address = *parsed;
    return parsed.has_value();
}

}  // namespace

void TStopRequest::Set() {
    {
        std::lock_guard lock(mu_);
        set_ = true;
    }
    cv_.notify_all();
}

void TStopRequest::Clear() {
    std::lock_guard lock(mu_);
    set_ = false;
}

void TStopRequest::WaitFor(std::chrono::milliseconds time) const {
    std::unique_lock lock(mu_);
    cv_.wait_for(lock, time, [this] { return set_.load(); });
}

std::string DownloadTextKey(int keyWord) {
    return MessageKey("FrmDownloadWait", keyWord);
}

std::string DownloadDefaultText(int keyWord) {
    for (const auto& t : kTexts)
        if (t.keyWord == keyWord) return t.text;
    return {};
}

std::string DownloadText(const TProgressText& text) {
    std::string out = Translate(DownloadTextKey(text.keyWord), DownloadDefaultText(text.keyWord));
    // Translated texts come from a file: only the first "%d" is replaced, never used as a format.
    if (const auto at = out.find("%d"); at != std::string::npos && text.count >= 0)
        out.replace(at, 2, std::to_string(text.count));
    return out;
}

THostDownloader::THostDownloader(IHostLink& link, IDownloadProgress& progress,
                                 const TStopRequest& stop, THostTiming timing)
    : link_(link), progress_(progress), stop_(stop), timing_(timing) {}

bool THostDownloader::RunDownloadJob(EDownloadKind kind, std::string_view address,
                                     const TDownloadEntries& entries) {
    int r = 0;
    if (kind == EDownloadKind::Contacts) {
        r = DownloadTable(EHostTable::Device, address, &entries.devices);
        if (r > 0) r = DownloadTable(EHostTable::Group, address, &entries.groups);
        if (r > 0) r = DownloadTable(EHostTable::GroupDevice, address, &entries.groupDevices);
    } else {
        r = DownloadTable(EHostTable::Zone, address, &entries.zones);
    }
    const bool success = r >= 0;
    progress_.ShowJobResult(success, {success ? kJobDone : kJobFailed});
    return success;
}

int THostDownloader::DownloadTable(EHostTable table, std::string_view address,
                                   const std::vector<THostEntry>* entries, int port) {
    std::uint32_t target = 0;
    if (!entries || !ParseDotted(address, &target) || port < 0 || port > 65535)
        return hoststep::kEraseFailed;
    const TTableTexts texts = TextsOf(table);
    const auto targetPort = static_cast<std::uint16_t>(port);
    progress_.ShowProgress(texts.Erasing(), 1);
    if (!EraseTable(table, target, targetPort)) {
        progress_.ShowProgress(texts.EraseFailed(), 1);
        return hoststep::kEraseFailed;
    }
    progress_.ShowProgress(texts.Erased(), 1);
    if (entries->empty()) return hoststep::kNothing;
    progress_.ShowProgress(texts.Writing(), 1);
    std::size_t written = 0;
    std::size_t batchStart = 0;
    auto writeBatch = [&](std::size_t end, int parts) {
        const std::span<const THostEntry> batch(entries->data() + batchStart, end - batchStart);
        if (!WriteBatch(table, target, targetPort, static_cast<std::uint16_t>(written), batch)) {
            progress_.ShowProgress(texts.WriteFailed(), 0);
            return false;
        }
        written += batch.size();
        batchStart = end;
        progress_.ShowProgress(texts.Written(static_cast<int>(written)), parts);
        return true;
    };
    for (std::size_t i = 0; i < entries->size(); ++i) {
        if (stop_.IsSet()) return hoststep::kStopped;
        if (i + 1 - batchStart == kHostMaxBatch && !writeBatch(i + 1, kHostMaxBatch))
            return hoststep::kWriteFailed;
    }
    if (batchStart < entries->size() && !writeBatch(entries->size(), 1))
        return hoststep::kWriteFailed;
    return hoststep::kDone;
}

bool THostDownloader::EraseTable(EHostTable table, std::uint32_t address, std::uint16_t port) {
    std::uint8_t request[kHostHeaderSize];
    const std::size_t length = BuildEraseRequest(TableCodes(table).eraseCode, request);
    if (length == 0 || !link_.Ready()) return false;
    // Replies to earlier requests must not acknowledge this one.
    link_.DiscardWaiting();
    for (int send = 0; send < kEraseSends; ++send) {
        link_.Send(address, port, std::span(request, length));
        link_.Pause(timing_.eraseSettle);
        for (int wait = 0; wait < kEraseReceives; ++wait) {
            if (AwaitDone(address)) return true;
            if (stop_.IsSet()) return false;
            link_.Pause(timing_.retryPause);
        }
    }
    return false;
}

bool THostDownloader::WriteBatch(EHostTable table, std::uint32_t address, std::uint16_t port,
                                 std::uint16_t startIndex, std::span<const THostEntry> entries) {
    std::uint8_t request[kHostMaxRequestSize];
    const std::size_t length =
        BuildWriteRequest(TableCodes(table).writeCode, startIndex, entries, request);
    if (length == 0 || !link_.Ready()) return false;
    link_.DiscardWaiting();
    link_.Send(address, port, std::span(request, length));
    link_.Pause(timing_.writeSettle);
    for (int wait = 1; wait <= kWriteSends; ++wait) {
        if (AwaitDone(address)) return true;
        if (stop_.IsSet()) return false;
        if (wait < kWriteSends) {
            link_.Send(address, port, std::span(request, length));
            link_.Pause(timing_.writeSettle);
        }
    }
    return false;
}

bool THostDownloader::AwaitDone(std::uint32_t address) {
    const auto deadline = link_.Now() + timing_.receive;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - link_.Now());
        const auto datagram = link_.Receive(std::max(left, std::chrono::milliseconds(0)));
        if (!datagram) return false;
        // The terminal's address decides; it may answer from any port of its own.
        if (datagram->address == address) {
            const EHostReply reply = ClassifyHostReply(datagram->bytes);
            if (reply != EHostReply::Invalid) return reply == EHostReply::Done;
        }
        if (link_.Now() >= deadline) return false;
    }
}
