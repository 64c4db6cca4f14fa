#include "termsim/update/updateagent.h"

#include <algorithm>
#include <cstring>

#include "common/textcodec.h"
#include "updater/checksum.h"

namespace termsim {
namespace {

constexpr std::size_t kLoginSize = 42;
constexpr std::size_t kLoginReplySize = 23;
constexpr std::size_t kImageData = 1280;
constexpr std::size_t kPakData = 1024;
constexpr std::uint8_t kReset[8] = {0xFA, 0xF7, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};

bool SumMatches(std::span<const std::uint8_t> d) {
    if (d.size() < 3) return false;
    std::uint16_t sum = AdditiveChecksum(d.data(), d.size() - 2);
    return d[d.size() - 2] == (sum >> 8) && d[d.size() - 1] == (sum & 0xFF);
}

bool CrcMatches(std::span<const std::uint8_t> d, std::size_t covered) {
    std::uint16_t crc = Crc16(d.data(), covered);
    return d[covered] == (crc & 0xFF) && d[covered + 1] == (crc >> 8);
}

void PutSum(TDatagram& d) {
    std::uint16_t sum = AdditiveChecksum(d.data(), d.size() - 2);
    d[d.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    d[d.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
}

void PutText(TDatagram& d, std::size_t offset, std::size_t width, const std::string& text) {
    std::memcpy(d.data() + offset, text.data(), std::min(text.size(), width));
}

// Keeps one block's data at its place in the reassembled data.
void Store(std::vector<std::uint8_t>& data, std::size_t k, std::size_t blockData,
           std::span<const std::uint8_t> bytes) {
    std::size_t end = (k + 1) * blockData;
    if (data.size() < end) data.resize(end);
    std::copy(bytes.begin(), bytes.end(),
              data.begin() + static_cast<std::ptrdiff_t>(k * blockData));
}

}  // namespace

TUpdateAgent::TUpdateAgent(TUpdateAgentConfig config)
    : config_(std::move(config)), version_(config_.version) {
    passwordField_ = ToDeviceBytesLimited(config_.password, 16);
    passwordField_.resize(16, '\0');
}

TDatagram TUpdateAgent::LoginReply(std::span<const std::uint8_t> request, std::uint8_t command,
                                   bool ok) {
    TDatagram reply(kLoginReplySize, 0);
    reply[7] = request[7];
    reply[8] = command;
    std::uint16_t crc = Crc16(reply.data(), 21);
    if (!ok) crc = static_cast<std::uint16_t>(~crc);  // a refused login carries a wrong CRC
    reply[21] = static_cast<std::uint8_t>(crc & 0xFF);
    reply[22] = static_cast<std::uint8_t>(crc >> 8);
    return reply;
}

TDatagram TUpdateAgent::QueryReply() const {
    TDatagram reply(33, 0);
    reply[0] = 0xFA;
    PutText(reply, 1, 15, ToDeviceBytesLimited(config_.deviceType, 15));
    PutText(reply, 17, 16, ToDeviceBytesLimited(version_, 16));
    return reply;
}

std::optional<TDatagram> TUpdateAgent::BlockAck(std::span<const std::uint8_t> request, bool image) {
    const int index = blocks_++;
    const std::uint16_t address = static_cast<std::uint16_t>((request[2] << 8) | request[3]);
    std::uint8_t status = 0;
    if (!SumMatches(request))
        status = 3;
    else if (!loggedIn_)
        status = 2;
    else if (index < config_.rejectBlocks)
        status = 1;
    TDatagram ack{0xFA, request[1], status, 0, 0};
    PutSum(ack);
    if (status != 0) {
        ++stats_.rejected;
    } else {
        std::span<const std::uint8_t> data = request.subspan(4, request.size() - 6);
        const std::size_t k = address / 4u;  // the field is the address divided by 256
        (image ? stats_.imageAddresses : stats_.pakAddresses).push_back(address);
        if (config_.keepData) Store(image ? image_ : pak_, k, image ? kImageData : kPakData, data);
        // Block 0 of the image comes last; a simulated image may begin with an update header.
        if (image && k == 0 && data[0] == 'B' && data[1] == '3' && data[2] == '2') {
            const char* field = reinterpret_cast<const char*>(data.data()) + 8;
            pendingVersion_ = FromDeviceBytes(std::string_view(field, strnlen(field, 32)));
        }
    }
    if (index < config_.dropBlockAcks) return std::nullopt;
    if (image) {
        auto lost = config_.dropImageAcks.find(address);
        if (lost != config_.dropImageAcks.end() && lost->second > 0) {
            --lost->second;
            return std::nullopt;
        }
    }
    return ack;
}

TAgentOutput TUpdateAgent::Handle(std::span<const std::uint8_t> d) {
    TAgentOutput out = Answer(d);
    if (config_.duplicateReplies) {
        const std::size_t once = out.replies.size();
        for (std::size_t i = 0; i < once; ++i)
            out.replies.insert(out.replies.begin() + std::ptrdiff_t(2 * i + 1), out.replies[2 * i]);
    }
    return out;
}

TAgentOutput TUpdateAgent::Answer(std::span<const std::uint8_t> d) {
    TAgentOutput out;
    if (reset_ && config_.noReturn) return out;
    if (d.size() == kLoginSize && CrcMatches(d, 40) && (d[8] == 0x11 || d[8] == 0x15)) {
        if (d[8] == 0x11) {
            stats_.lastPassword.assign(reinterpret_cast<const char*>(d.data()) + 24, 16);
            loggedIn_ = stats_.lastPassword == passwordField_ &&
                        stats_.logins + stats_.refusedLogins >= config_.refuseLogins;
            ++(loggedIn_ ? stats_.logins : stats_.refusedLogins);
            out.replies.push_back(LoginReply(d, 0x11, loggedIn_));
        } else {
            ++stats_.logouts;
            loggedIn_ = false;
            out.replies.push_back(LoginReply(d, 0x15, true));
        }
    } else if (d.size() == 4 && d[0] == 0xFA && d[1] == 0xFA && SumMatches(d)) {
        ++stats_.queries;
        if (!(config_.muteQuery && !reset_)) out.replies.push_back(QueryReply());
    } else if (d.size() == kImageData + 6 && d[0] == 0xFA && d[1] == 0xF8) {
        if (auto ack = BlockAck(d, true)) out.replies.push_back(*ack);
    } else if (d.size() == kPakData + 6 && d[0] == 0xFA && d[1] == 0xF6) {
        if (auto ack = BlockAck(d, false)) out.replies.push_back(*ack);
    } else if (d.size() == 10 && std::equal(kReset, kReset + 8, d.begin()) && SumMatches(d)) {
        ++stats_.resets;
        reset_ = true;
        loggedIn_ = false;
        TDatagram ack{0xFA, 0xF7, 0, 0, 0};
        PutSum(ack);
        out.replies.push_back(ack);
        if (!config_.updatedVersion.empty())
            version_ = config_.updatedVersion;
        else if (!pendingVersion_.empty())
            version_ = pendingVersion_;
        out.restart = config_.noReturn ? kForever : config_.restartTime;
    } else {
        ++stats_.ignored;
    }
    return out;
}

}  // namespace termsim
