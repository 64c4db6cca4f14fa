// Arbitrary bytes as "updatefile.txt": the recalled path is one line of valid UTF-8, and a file
// in the form the updater writes (the path and CR LF) gives its path back.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/textcodec.h"
#include "fuzz/support/fuzzsupport.h"
#include "updater/updatefile.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto& folder = fuzzsupport::ScratchFolder();
    const auto file = folder / "updatefile.txt";
    if (!fuzzsupport::WriteScratchFile(file, bytes)) return 0;
    const auto recalled = ReadRecallFile(folder);
    Check(recalled.has_value() == !bytes.empty());
    if (recalled) {
        Check(recalled->find('\n') == std::string::npos);
        Check(SanitizeUtf8(*recalled) == *recalled);
    }

    // The updater's own form of the file.
    const std::string_view path = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (!fuzzsupport::WriteScratchFile(file, std::string(path) + "\r\n")) return 0;
    Check(ReadRecallFile(folder) == SanitizeUtf8(path));
    return 0;
}
