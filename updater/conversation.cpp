#include "updater/conversation.h"

#include <cstring>

#include "common/textcodec.h"

namespace {

constexpr std::size_t kReplyMax = 2047;
constexpr std::size_t kLoginReplyMax = 1023;
constexpr int kMaxFailures = 10;  // per phase: the tenth failed attempt ends the conversation
constexpr int kSearchAttempts = 15;

std::string HeaderDeviceType(const TUpdateJob& job) {
    const char* field = reinterpret_cast<const char*>(job.header.data()) + 40;
    return std::string(field, strnlen(field, 32));
}

}  // namespace

TConversation::TConversation(IUpdateLink& link, const TUpdateJob& job, TProtocolTimes times,
                             ProgressFn progress)
    : link_(link),
      job_(job),
      times_(times),
      progress_(std::move(progress)),
      random_(std::random_device{}()) {}

TConversationResult TConversation::Run() {
    TConversationResult out;
    auto run = [&]() -> EUpdateResult {
        if (!Login()) return EUpdateResult::LoginFailed;
        if (auto fail = CheckDevice()) return *fail;
        if (auto fail = SendBlocks(EProgressKind::Image)) return *fail;
        if (auto fail = SendImageBlockZero()) return *fail;
        if (!job_.pak.empty())
            if (auto fail = SendBlocks(EProgressKind::Pak)) return *fail;
        Request(ResetRequest());
        link_.Receive(times_.replyWaitMs, kReplyMax);
        progress_(EProgressKind::ResetSent, 0);
        link_.Pause(times_.resetPauseMs);
        std::optional<std::string> version = Rediscover();
        if (!version) return EUpdateResult::LostAfterReset;
        out.version = *version;
        return EUpdateResult::Done;
    };
    out.result = run();
    Logout();
    progress_(EProgressKind::Finished, static_cast<std::uint32_t>(out.result));
    return out;
}

bool TConversation::Login() {
    auto sequence = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 254)(random_));
    Request(LoginRequest(sequence, ToDeviceBytesLimited(job_.password, kPasswordField)));
    for (;;) {
        std::optional<TBytes> reply = link_.Receive(times_.replyWaitMs, kLoginReplyMax);
        // A datagram of no bytes is no reply (length 0), like a wait that ends without one.
        if (!reply || reply->empty()) return false;
        switch (ClassifyLoginReply(*reply, sequence)) {
            case ELoginReply::Accepted:
                return true;
            case ELoginReply::Refused:
            case ELoginReply::Abort:
                return false;
            case ELoginReply::Other:
                break;  // ignored: wait again, without sending again
        }
    }
}

std::optional<EUpdateResult> TConversation::CheckDevice() {
    Request(QueryRequest());
    std::optional<TBytes> reply = link_.Receive(times_.replyWaitMs, kReplyMax);
    std::optional<TQueryReply> query = reply ? ParseQueryReply(*reply) : std::nullopt;
    if (!query) return EUpdateResult::Offline;
    if (query->deviceType != HeaderDeviceType(job_)) return EUpdateResult::WrongDevice;
    return std::nullopt;
}

// Image blocks 1..n (kind Image) or pak blocks 0..n (kind Pak), stop-and-wait, with one failure
// counter for the whole phase.
std::optional<EUpdateResult> TConversation::SendBlocks(EProgressKind kind) {
    const bool image = kind == EProgressKind::Image;
    const std::vector<std::uint8_t>& data = image ? job_.image : job_.pak;
    const std::size_t step = image ? kImageBlockData : kPakBlockData;
    int failures = 0;
    for (std::size_t k = image ? 1 : 0; k * step < data.size();) {
        if (image)
            BuildImageBlock(block_, data, k);
        else
            BuildPakBlock(block_, data, k);
        Request(block_);
        std::optional<TBytes> reply = link_.Receive(times_.replyWaitMs, kReplyMax);
        EBlockReply answer = reply ? ClassifyBlockReply(*reply) : EBlockReply::Other;
        if (answer == EBlockReply::Accepted) {
            progress_(kind, static_cast<std::uint32_t>(k * step * 100 / data.size()));
            ++k;
        } else if (++failures >= kMaxFailures) {
            return answer == EBlockReply::Rejected ? EUpdateResult::Damaged
                                                   : EUpdateResult::Offline;
        }
    }
    if (!image) progress_(kind, 100);
    return std::nullopt;
}

// The first block of the image goes last, so a terminal never boots a half-written image.
std::optional<EUpdateResult> TConversation::SendImageBlockZero() {
    BuildImageBlock(block_, job_.image, 0);
    for (int failures = 0; failures < kMaxFailures; ++failures) {
        Request(block_);
        std::optional<TBytes> reply = link_.Receive(times_.replyWaitMs, kReplyMax);
        if (reply && ClassifyBlockReply(*reply) == EBlockReply::Accepted) {
            progress_(EProgressKind::Image, 100);
            return std::nullopt;
        }
    }
    return EUpdateResult::Offline;
}

std::optional<std::string> TConversation::Rediscover() {
    for (int attempt = 1; attempt <= kSearchAttempts; ++attempt) {
        Request(QueryRequest());
        std::optional<TBytes> reply = link_.Receive(times_.replyWaitMs, kReplyMax);
        if (std::optional<TQueryReply> query = reply ? ParseQueryReply(*reply) : std::nullopt)
            return query->version;
        link_.Pause(times_.searchPauseMs);
        progress_(EProgressKind::Search, static_cast<std::uint32_t>(attempt));
    }
    return std::nullopt;
}

void TConversation::Request(const TBytes& datagram) {
    link_.DiscardWaiting();
    link_.Send(datagram);
}

void TConversation::Logout() {
    Request(LogoutRequest());
    link_.Receive(times_.replyWaitMs, kLoginReplyMax);
}
