#include "updater/protocol.h"

#include <algorithm>

#include "updater/checksum.h"

namespace {

void PutCrcLowFirst(TBytes& packet, std::size_t covered) {
    std::uint16_t crc = Crc16(packet.data(), covered);
    packet[covered] = static_cast<std::uint8_t>(crc & 0xFF);
    packet[covered + 1] = static_cast<std::uint8_t>(crc >> 8);
}

void PutSumHighFirst(TBytes& packet) {
    std::size_t covered = packet.size() - 2;
    std::uint16_t sum = AdditiveChecksum(packet.data(), covered);
    packet[covered] = static_cast<std::uint8_t>(sum >> 8);
    packet[covered + 1] = static_cast<std::uint8_t>(sum & 0xFF);
}

void PutBlock(TBytes& packet, std::uint8_t command, std::span<const std::uint8_t> data,
              std::size_t blockData, std::size_t k) {
    packet.resize(blockData + 6);
    std::size_t address = k * kAddressStep;
    packet[0] = 0xFA;
    packet[1] = command;
    packet[2] = static_cast<std::uint8_t>(address >> 16);
    packet[3] = static_cast<std::uint8_t>(address >> 8);
    std::size_t from = k * blockData;
    std::size_t count = from < data.size() ? std::min(blockData, data.size() - from) : 0;
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(std::min(from, data.size())), count,
                packet.begin() + 4);
    std::fill(packet.begin() + 4 + static_cast<std::ptrdiff_t>(count), packet.end() - 2, 0);
    PutSumHighFirst(packet);
}

// Device bytes up to the first zero within [offset, offset + width) of the reply.
std::string TextAt(std::span<const std::uint8_t> reply, std::size_t offset, std::size_t width) {
    if (offset >= reply.size()) return {};
    auto begin = reply.begin() + static_cast<std::ptrdiff_t>(offset);
    auto end = reply.begin() + static_cast<std::ptrdiff_t>(std::min(reply.size(), offset + width));
    return std::string(begin, std::find(begin, end, 0));
}

}  // namespace

std::string ResultText(unsigned code) {
    switch (code) {
        case 0:
            return "Done";
        case 1:
            return "This update package is not suitable for the target device";
        case 2:
            return "The target decice is offline";
        case 3:
            return "Login is faulst";
        case 4:
            return "The update package or device is damaged";
        case 5:
            return "Can't find the device after update process";
        default:
            return {};
    }
}

TBytes LoginRequest(std::uint8_t sequence, std::string_view passwordBytes) {
    TBytes packet(kLoginSize, 0);
    packet[7] = sequence;
    packet[8] = kLoginCommand;
    std::copy_n(passwordBytes.begin(), std::min(passwordBytes.size(), kPasswordField),
                packet.begin() + 24);
    PutCrcLowFirst(packet, 40);
    return packet;
}

TBytes LogoutRequest() {
    TBytes packet(kLoginSize, 0);
    packet[8] = kLogoutCommand;
    PutCrcLowFirst(packet, 40);
    return packet;
}

TBytes QueryRequest() {
    TBytes packet{0xFA, kQueryCommand, 0, 0};
    PutSumHighFirst(packet);
    return packet;
}

TBytes ResetRequest() {
    TBytes packet{0xFA, kResetCommand, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0};
    PutSumHighFirst(packet);
    return packet;
}

void BuildImageBlock(TBytes& packet, std::span<const std::uint8_t> image, std::size_t k) {
    PutBlock(packet, kImageCommand, image, kImageBlockData, k);
}

void BuildPakBlock(TBytes& packet, std::span<const std::uint8_t> pak, std::size_t k) {
    PutBlock(packet, kPakCommand, pak, kPakBlockData, k);
}

TBytes ImageBlock(std::span<const std::uint8_t> image, std::size_t k) {
    TBytes packet;
    BuildImageBlock(packet, image, k);
    return packet;
}

TBytes PakBlock(std::span<const std::uint8_t> pak, std::size_t k) {
    TBytes packet;
    BuildPakBlock(packet, pak, k);
    return packet;
}

ELoginReply ClassifyLoginReply(std::span<const std::uint8_t> reply, std::uint8_t sequence) {
    if (reply.size() == kLoginReplySize && reply[7] == sequence && reply[8] == kLoginCommand) {
        std::uint16_t crc = Crc16(reply.data(), 21);
        bool match = reply[21] == (crc & 0xFF) && reply[22] == (crc >> 8);
        return match ? ELoginReply::Accepted : ELoginReply::Refused;
    }
    if (reply.size() > 7 && reply[7] == 0) return ELoginReply::Abort;
    return ELoginReply::Other;
}

std::optional<TQueryReply> ParseQueryReply(std::span<const std::uint8_t> reply) {
    if (reply.size() <= 8) return std::nullopt;
    return TQueryReply{TextAt(reply, 1, reply.size()), TextAt(reply, 17, 16)};
}

EBlockReply ClassifyBlockReply(std::span<const std::uint8_t> reply) {
    if (reply.size() != kBlockAckSize) return EBlockReply::Other;
    return reply[2] == 0 ? EBlockReply::Accepted : EBlockReply::Rejected;
}
