// Arbitrary bytes as a local-socket stream, fed in chunks whose sizes the first byte chooses.
// Every message that comes out is valid UTF-8 and survives a round trip; a text that bytes not
// UTF-8 made longer than a frame holds comes back cut between two characters.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/textcodec.h"
#include "fuzz/support/fuzzsupport.h"
#include "manager/shell/localmessage.h"

namespace {
using fuzzsupport::Check;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunk = 1 + data[0] % 64;
    std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    TLocalMessageReader reader;
    while (!stream.empty()) {
        const std::size_t n = std::min(chunk, stream.size());
        reader.Feed(stream.substr(0, n));
        stream.remove_prefix(n);
        while (auto message = reader.Next()) {
            Check(SanitizeUtf8(message->text) == message->text);
            TLocalMessageReader again;
            again.Feed(EncodeLocalMessage(*message));
            const auto back = again.Next();
            Check(back && back->type == message->type);
            if (message->text.size() < kMaxFrameBody) {
                Check(back->text == message->text);
            } else {
                // At most three bytes short of a full frame: no character is longer than four.
                Check(back->text.size() >= kMaxFrameBody - 4 &&
                      message->text.starts_with(back->text));
            }
        }
    }
    return 0;
}
