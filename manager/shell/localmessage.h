// Messages to a running Pelmora over its local socket (docs/local-messages.md).
//
// Frame: 4-byte little-endian length of what follows, 1 type byte, then UTF-8 text.
// The length counts the type byte and the text and lies in 1..kMaxFrameBody.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TLocalMessageType : std::uint8_t {
    Raise = 1,       // a second start: bring the window forward
    DeviceText = 2,  // a device text from another program
};

struct TLocalMessage {
    TLocalMessageType type;
    std::string text;  // valid UTF-8
};

constexpr std::size_t kMaxFrameBody = 4096;

std::string EncodeLocalMessage(const TLocalMessage& message);

// Cuts frames out of a byte stream. A frame with a bad length or an unknown type puts the reader
// into the failed state; the connection should then be dropped.
class TLocalMessageReader {
  public:
    void Feed(std::string_view bytes);
    // The next complete message, if any.
    std::optional<TLocalMessage> Next();
    bool Failed() const { return failed_; }

  private:
    std::string buffer_;
    bool failed_ = false;
};
