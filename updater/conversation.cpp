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

TConversationMachine::TConversationMachine(const TUpdateJob& job, TProtocolTimes times,
                                           ProgressFn progress)
    : job_(job), times_(times), progress_(std::move(progress)), random_(std::random_device{}()) {}

TConversationAction TConversationMachine::Send(const TBytes& datagram, std::size_t maxBytes) {
    return {TConversationAction::EKind::SendAndWait, &datagram, times_.replyWaitMs, maxBytes};
}

// Step 1: the login is sent once; its wait is renewed only by datagrams to be ignored.
TConversationAction TConversationMachine::Begin() {
    step_ = EStep::Login;
    sequence_ = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 254)(random_));
    packet_ = LoginRequest(sequence_, ToDeviceBytesLimited(job_.password, kPasswordField));
    return Send(packet_, kLoginReplyMax);
}

TConversationAction TConversationMachine::OnReply(const TBytes* reply) {
    switch (step_) {
        case EStep::Login: {
            // A datagram of no bytes is no reply (length 0), like a wait that ends without one.
            if (!reply || reply->empty()) return Fail(EUpdateResult::LoginFailed);
            switch (ClassifyLoginReply(*reply, sequence_)) {
                case ELoginReply::Accepted:
                    step_ = EStep::Query;
                    packet_ = QueryRequest();
                    return Send(packet_, kReplyMax);
                case ELoginReply::Refused:
                case ELoginReply::Abort:
                    return Fail(EUpdateResult::LoginFailed);
                case ELoginReply::Other:
                    break;
            }
            return {TConversationAction::EKind::Wait, nullptr, times_.replyWaitMs, kLoginReplyMax};
        }
        case EStep::Query: {
            // A late copy of the reply that logged us in (a network may deliver a datagram
            // twice) is not the terminal's answer: read as one, its bytes name no device type.
            if (reply && ClassifyLoginReply(*reply, sequence_) == ELoginReply::Accepted)
                return {TConversationAction::EKind::Wait, nullptr, times_.replyWaitMs, kReplyMax};
            std::optional<TQueryReply> query = reply ? ParseQueryReply(*reply) : std::nullopt;
            if (!query) return Fail(EUpdateResult::Offline);
            if (query->deviceType != HeaderDeviceType(job_))
                return Fail(EUpdateResult::WrongDevice);
            return StartBlocks(EProgressKind::Image);
        }
        case EStep::Blocks: {
            const std::vector<std::uint8_t>& data =
                phase_ == EProgressKind::Image ? job_.image : job_.pak;
            const std::size_t step =
                phase_ == EProgressKind::Image ? kImageBlockData : kPakBlockData;
            EBlockReply answer = reply ? ClassifyBlockReply(*reply) : EBlockReply::Other;
            if (answer == EBlockReply::Accepted) {
                progress_(phase_, static_cast<std::uint32_t>(block_k_ * step * 100 / data.size()));
                ++block_k_;
                return SendBlock();
            }
            // One failure counter for the whole phase, whatever blocks the failures hit.
            if (++failures_ >= kMaxFailures)
                return Fail(answer == EBlockReply::Rejected ? EUpdateResult::Damaged
                                                            : EUpdateResult::Offline);
            return SendBlock();
        }
        case EStep::BlockZero:
            if (reply && ClassifyBlockReply(*reply) == EBlockReply::Accepted) {
                progress_(EProgressKind::Image, 100);
                if (!job_.pak.empty()) return StartBlocks(EProgressKind::Pak);
                return StartReset();
            }
            if (++failures_ >= kMaxFailures) return Fail(EUpdateResult::Offline);
            return SendBlockZero();
        case EStep::Reset:  // any reply or none
            progress_(EProgressKind::ResetSent, 0);
            step_ = EStep::ResetPause;
            return {TConversationAction::EKind::Pause, nullptr, times_.resetPauseMs, 0};
        case EStep::Search:
            if (std::optional<TQueryReply> query = reply ? ParseQueryReply(*reply) : std::nullopt) {
                result_.version = query->version;  // the device type is not compared again
                result_.result = EUpdateResult::Done;
                return Finish();
            }
            step_ = EStep::SearchPause;
            return {TConversationAction::EKind::Pause, nullptr, times_.searchPauseMs, 0};
        case EStep::Logout:  // any reply or none
            step_ = EStep::Done;
            progress_(EProgressKind::Finished, static_cast<std::uint32_t>(result_.result));
            return {};
        case EStep::ResetPause:
        case EStep::SearchPause:
        case EStep::Done:
            break;
    }
    return {};
}

TConversationAction TConversationMachine::OnPauseOver() {
    if (step_ == EStep::ResetPause) {
        attempt_ = 1;
        return SendSearch();
    }
    if (step_ == EStep::SearchPause) {
        progress_(EProgressKind::Search, static_cast<std::uint32_t>(attempt_));
        if (++attempt_ > kSearchAttempts) return Fail(EUpdateResult::LostAfterReset);
        return SendSearch();
    }
    return {};
}

// Image blocks 1..n or pak blocks 0..n, stop-and-wait.
TConversationAction TConversationMachine::StartBlocks(EProgressKind kind) {
    step_ = EStep::Blocks;
    phase_ = kind;
    block_k_ = kind == EProgressKind::Image ? 1 : 0;
    failures_ = 0;
    return SendBlock();
}

TConversationAction TConversationMachine::SendBlock() {
    const bool image = phase_ == EProgressKind::Image;
    const std::vector<std::uint8_t>& data = image ? job_.image : job_.pak;
    if (block_k_ * (image ? kImageBlockData : kPakBlockData) >= data.size()) return AfterBlocks();
    if (image)
        BuildImageBlock(packet_, data, block_k_);
    else
        BuildPakBlock(packet_, data, block_k_);
    return Send(packet_, kReplyMax);
}

TConversationAction TConversationMachine::AfterBlocks() {
    if (phase_ == EProgressKind::Pak) {
        progress_(EProgressKind::Pak, 100);
        return StartReset();
    }
    // The first block of the image goes last, so a terminal never boots a half-written image.
    step_ = EStep::BlockZero;
    failures_ = 0;
    return SendBlockZero();
}

TConversationAction TConversationMachine::SendBlockZero() {
    BuildImageBlock(packet_, job_.image, 0);
    return Send(packet_, kReplyMax);
}

TConversationAction TConversationMachine::StartReset() {
    step_ = EStep::Reset;
    packet_ = ResetRequest();
    return Send(packet_, kReplyMax);
}

TConversationAction TConversationMachine::SendSearch() {
    step_ = EStep::Search;
    packet_ = QueryRequest();
    return Send(packet_, kReplyMax);
}

TConversationAction TConversationMachine::Fail(EUpdateResult result) {
    result_.result = result;
    return Finish();
}

// Step 8: the logout is always sent, its reply awaited and ignored.
TConversationAction TConversationMachine::Finish() {
    step_ = EStep::Logout;
    packet_ = LogoutRequest();
    return Send(packet_, kLoginReplyMax);
}

TConversationResult TConversation::Run() {
    using EKind = TConversationAction::EKind;
    TConversationAction action = machine_.Begin();
    for (;;) {
        switch (action.kind) {
            case EKind::SendAndWait:
                link_.DiscardWaiting();
                link_.Send(*action.datagram);
                [[fallthrough]];
            case EKind::Wait: {
                std::optional<TBytes> reply = link_.Receive(action.ms, action.maxBytes);
                action = machine_.OnReply(reply ? &*reply : nullptr);
                break;
            }
            case EKind::Pause:
                link_.Pause(action.ms);
                action = machine_.OnPauseOver();
                break;
            case EKind::Finished:
                return machine_.Result();
        }
    }
}
