#include "manager/shell/localmessage.h"

#include "common/textcodec.h"

std::string EncodeLocalMessage(const TLocalMessage& message) {
    const std::string valid = SanitizeUtf8(message.text);
    const std::string_view text = Utf8Prefix(valid, kMaxFrameBody - 1);
    const auto length = static_cast<std::uint32_t>(text.size() + 1);
    std::string frame;
    frame.reserve(5 + text.size());
    for (int i = 0; i < 4; ++i)
        frame.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
    frame.push_back(static_cast<char>(message.type));
    frame += text;
    return frame;
}

void TLocalMessageReader::Feed(std::string_view bytes) {
    if (failed_) return;
    buffer_.append(bytes);
}

std::optional<TLocalMessage> TLocalMessageReader::Next() {
    if (failed_ || buffer_.size() < 4) return std::nullopt;
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(buffer_[i])) << (8 * i);
    if (length < 1 || length > kMaxFrameBody) {
        failed_ = true;
        buffer_.clear();
        return std::nullopt;
    }
    if (buffer_.size() < 4 + std::size_t{length}) return std::nullopt;
    const auto type = static_cast<std::uint8_t>(buffer_[4]);
    if (type != static_cast<std::uint8_t>(TLocalMessageType::Raise) &&
        type != static_cast<std::uint8_t>(TLocalMessageType::DeviceText)) {
        failed_ = true;
        buffer_.clear();
        return std::nullopt;
    }
    TLocalMessage message{static_cast<TLocalMessageType>(type),
                          SanitizeUtf8(std::string_view(buffer_).substr(5, length - 1))};
    buffer_.erase(0, 4 + std::size_t{length});
    return message;
}
