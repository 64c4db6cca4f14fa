// Arbitrary bytes as a settings file: the untouched file comes back byte for byte, written keys
// read back as written, other keys keep their values, and writing the same values again changes
// nothing (the file never grows). Everything happens in memory: no file, no fsync.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/inifile.h"
#include "fuzz/support/fuzzsupport.h"

using fuzzsupport::Check;

namespace {

// What the settings window and the property editor write: the two [SYSTEM] integers and one
// server address of the editor's history.
void WriteSettings(TIniFile& ini, int language, int searchTimes, std::string_view server) {
    ini.WriteInteger("SYSTEM", "SearchTimes", searchTimes);
    ini.WriteInteger("SYSTEM", "Language", language);
    ini.WriteRaw("Pelmora", "ManageServerIP", server);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TIniFile ini;
    ini.Parse(bytes);
    Check(ini.Bytes() == bytes);

    const auto autoSearch = ini.ReadRaw("SYSTEM", "AutoSearchEnable");
    const auto player = ini.ReadRaw("PLAYER", "DefaultInterface");
    const int language = static_cast<int>(size % 7) - 3;
    const std::string_view server = bytes.substr(0, std::min<std::size_t>(size, 20));
    WriteSettings(ini, language, 3, server);

    TIniFile reloaded;
    reloaded.Parse(ini.Bytes());
    Check(reloaded.ReadInteger("SYSTEM", "Language", 99) == language);
    Check(reloaded.ReadInteger("SYSTEM", "SearchTimes", 99) == 3);
    // Line breaks become blanks; blanks and tabs around the value are not part of it.
    std::string expected(server);
    for (char& c : expected)
        if (c == '\r' || c == '\n') c = ' ';
    const std::size_t from = expected.find_first_not_of(" \t");
    expected = from == std::string::npos
                   ? std::string()
                   : expected.substr(from, expected.find_last_not_of(" \t") + 1 - from);
    Check(reloaded.ReadRaw("Pelmora", "ManageServerIP") == expected);
    // Keys the program does not own keep their values, unless they are the ones written.
    Check(reloaded.ReadRaw("SYSTEM", "AutoSearchEnable") == autoSearch);
    Check(reloaded.ReadRaw("PLAYER", "DefaultInterface") == player);

    const std::string once = reloaded.Bytes();
    WriteSettings(reloaded, language, 3, server);
    Check(reloaded.Bytes() == once);
    return 0;
}
