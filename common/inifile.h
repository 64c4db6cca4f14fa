// INI settings files, read and rewritten without disturbing what the program does not own.
//
// Every line the program does not change (other sections, other keys, comments, blank lines,
// odd lines) is written back byte for byte, with its own line ending. CR LF, LF and a lone CR
// all end a line; new lines take the file's first line ending (CR LF in a new file). Section and
// key names match without regard to letter case; the first matching section and key count. Values
// are device code page bytes in the file and UTF-8 in the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
  public:
    // Reads the file. A missing file gives an empty document and true; a file that exists but
    // cannot be read gives false with the system's error text, and the document stays empty.
    bool Load(const std::string& path, std::string* error = nullptr);
    // Replaces the file atomically; the folder must exist. On failure the old file is intact.
    bool Save(const std::string& path, std::string* error = nullptr) const;

    void Parse(std::string_view bytes);
    std::string Bytes() const;

    // The value's bytes as stored, blanks around it removed; none when section or key is absent.
    std::optional<std::string> ReadRaw(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& defaultText) const;
    // A value that is not a whole decimal 32-bit integer reads as the default.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // Creates the section and the key when missing. Line breaks in a value become blanks so the
    // value cannot split the file's lines.
    void WriteRaw(std::string_view section, std::string_view key, std::string_view bytes);
    void WriteString(std::string_view section, std::string_view key, std::string_view text);
    void WriteInteger(std::string_view section, std::string_view key, int value);

  private:
    struct TSectionRange {
        std::size_t header;  // index of the "[name]" line
        std::size_t end;     // one past its last line
    };
    std::optional<TSectionRange> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const TSectionRange& range, std::string_view key) const;
    std::string LineEnding() const;
    void EnsureLastLineEnded();

    std::vector<std::string> lines_;  // each with its own line ending, if it had one
};
