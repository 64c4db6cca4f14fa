#include "updater/updatefile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "common/atomicfile.h"
#include "common/textcodec.h"
#include "common/textutil.h"

namespace fs = std::filesystem;

namespace {

constexpr char kRecallFileName[] = "updatefile.txt";

std::string FieldText(const std::array<std::uint8_t, kHeaderSize>& header, std::size_t offset,
                      std::size_t width) {
    const char* start = reinterpret_cast<const char*>(header.data()) + offset;
    std::string_view field(start, width);
    return FromDeviceBytes(field.substr(0, field.find('\0')));
}

// Reads up to count bytes from offset; the number of bytes read, or -1 with errno's text.
long ReadAt(const fs::path& file, std::size_t offset, std::uint8_t* out, std::size_t count,
            std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = std::strerror(errno);
        return -1;
    }
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
    if (in.bad()) {
        *error = std::strerror(errno);
        return -1;
    }
    return static_cast<long>(in.gcount());
}

bool EndsWithPak(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".pak";
}

// Loads the pak data named by the pak option, writing its log lines.
std::vector<std::uint8_t> LoadPak(const fs::path& folder, const std::string& name,
                                  const std::function<void(const std::string&)>& log) {
    fs::path pak = folder / Utf8Path(name);
    std::error_code ec;
    if (name.empty() || !fs::is_regular_file(pak, ec)) return {};
    std::string shown = PathUtf8(pak);
    log("load " + shown);
    std::uintmax_t size = fs::file_size(pak, ec);
    if (ec || size >= kPakSizeLimit) {
        log(shown + " large then 1Mbytes, can not loaddown.");
        return {};
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    std::string error;
    long got = ReadAt(pak, 0, data.data(), data.size(), &error);
    data.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return data;
}

}  // namespace

fs::path Utf8Path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathUtf8(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

THeaderInfo HeaderInfoOf(const std::array<std::uint8_t, kHeaderSize>& header) {
    return {FieldText(header, 8, 32), FieldText(header, 72, 16), FieldText(header, 40, 32),
            FieldText(header, 88, 1024)};
}

std::optional<THeaderInfo> ReadHeaderInfo(const fs::path& file) {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size <= kHeaderSize) return std::nullopt;
    std::array<std::uint8_t, kHeaderSize> header{};
    std::string error;
    if (ReadAt(file, 0, header.data(), header.size(), &error) != long(kHeaderSize))
        return std::nullopt;
    return HeaderInfoOf(header);
}

std::string FindPakFile(const fs::path& folder) {
    std::error_code ec;
    std::string first;
    // A file named without a folder lies in the current one.
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = PathUtf8(it->path().filename());
        if (EndsWithPak(name) && it->is_regular_file(ec) && (first.empty() || name < first))
            first = name;
    }
    return first;
}

std::optional<std::string> ReadRecallFile(const fs::path& programFolder) {
    std::string bytes;
    if (!ReadWholeFile(PathUtf8(programFolder / kRecallFileName), bytes) || bytes.empty())
        return std::nullopt;
    std::string_view rest = bytes;
    return SanitizeUtf8(TakeLine(rest));
}

bool WriteRecallFile(const fs::path& programFolder, const std::string& updateFile,
                     std::string* error) {
    const std::string path = PathUtf8(programFolder / kRecallFileName);
    std::string reason;
    if (WriteFileAtomically(path, updateFile + "\r\n", &reason)) return true;
    if (error) *error = "Cannot write " + path + ": " + reason;
    return false;
}

std::optional<TUpdateJob> BuildUpdateJob(const TJobRequest& request,
                                         const std::function<void(const std::string&)>& log,
                                         TJobMessage* message, std::string* warning) {
    using Kind = TJobMessage::Kind;
    std::error_code ec;
    // The full path: the pak file is looked for in its folder, and the window recalls it
    // wherever it is started.
    fs::path file = Utf8Path(request.updateFile);
    if (!request.updateFile.empty()) {
        fs::path full = fs::absolute(file, ec);
        if (!ec) file = full.lexically_normal();
    }
    if (request.updateFile.empty() || !fs::is_regular_file(file, ec)) {
        *message = {Kind::Error, "update file is not exist."};
        return std::nullopt;
    }
    TUpdateJob job;
    std::string error;
    long got = ReadAt(file, 0, job.header.data(), kHeaderSize, &error);
    if (got != long(kHeaderSize)) {
        if (got >= 0) error = "the file ends before its 1132-byte header";
        *message = {Kind::Error, "Cannot read " + request.updateFile + ": " + error};
        return std::nullopt;
    }
    const std::uint8_t* mark = job.header.data();
    if (!(mark[0] == 'B' && mark[1] == '3' && mark[2] == '2')) {
        bool bin = mark[0] == 'B' && mark[1] == 'I' && mark[2] == 'N';
        *message = {Kind::Error, bin ? "Source file format is error,input bin file only."
                                     : "Source file format is error,update is interrupted"};
        return std::nullopt;
    }
    std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size < kImageOffset || size - kImageOffset > kMaxImageSize) {
        *message = {Kind::Information, "File is too long,update is interrupted."};
        return std::nullopt;
    }
    job.image.resize(static_cast<std::size_t>(size - kImageOffset));
    got = ReadAt(file, kImageOffset, job.image.data(), job.image.size(), &error);
    if (got != long(job.image.size())) {
        if (got >= 0) error = "the file changed while it was read";
        *message = {Kind::Error, "Cannot read " + request.updateFile + ": " + error};
        return std::nullopt;
    }
    if (request.pakChecked) job.pak = LoadPak(file.parent_path(), request.pakName, log);
    if (!WriteRecallFile(request.programFolder, PathUtf8(file), &error)) {
        log(error);  // the update goes on; only the recall is lost
        if (warning) *warning = error;
    }
    return job;
}
