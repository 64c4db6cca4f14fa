// Whole update files through the checks of a Start: every file gets exactly the outcome its size
// and format mark call for, and an accepted job holds the file's header, image and pak data.
//
// Input: byte 0 holds flags (bit 0: the pak option is checked; bit 1: a pak file lies beside the
// update file; bit 2: the file is padded to the largest image, or one byte beyond it with bit 3),
// byte 1 times 32 zero bytes are added to the end of the file, and the rest is the file's start.
// The recall file goes to a folder that does not exist, so no input writes or syncs it; the job
// says so in its log and goes on.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/support/fuzzsupport.h"
#include "updater/updatefile.h"

using fuzzsupport::Check;

namespace {

struct Expected {
    bool accepted = false;
    TJobMessage::Kind kind = TJobMessage::Kind::Error;
    std::string text;  // the message, or its start for read errors
};

Expected Outcome(const std::string& file) {
    if (file.size() < kHeaderSize) return {false, TJobMessage::Kind::Error, "Cannot read "};
    if (file.compare(0, 3, "B32") != 0) {
        return {false, TJobMessage::Kind::Error,
                file.compare(0, 3, "BIN") == 0
                    ? "Source file format is error,input bin file only."
                    : "Source file format is error,update is interrupted"};
    }
    if (file.size() < kImageOffset || file.size() - kImageOffset > kMaxImageSize)
        return {false, TJobMessage::Kind::Information, "File is too long,update is interrupted."};
    return {true, {}, {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t flags = data[0];
    std::string file(reinterpret_cast<const char*>(data + 2), size - 2);
    file.resize(file.size() + data[1] * std::size_t{32}, '\0');
    if (flags & 4) file.resize(kImageOffset + kMaxImageSize + ((flags & 8) ? 1 : 0), '\0');

    const auto& folder = fuzzsupport::ScratchFolder();
    const auto updateFile = folder / "update.bin";
    const auto pakFile = folder / "data.pak";
    const std::string pak = file.substr(0, std::min<std::size_t>(file.size(), 64));
    if (!fuzzsupport::WriteScratchFile(updateFile, file)) return 0;
    std::error_code ec;
    std::filesystem::remove(pakFile, ec);
    if ((flags & 2) && !fuzzsupport::WriteScratchFile(pakFile, pak)) return 0;

    TJobRequest request;
    request.updateFile = PathUtf8(updateFile);
    request.pakChecked = flags & 1;
    request.pakName = "data.pak";
    request.programFolder = folder / "missing" / "folder";
    std::vector<std::string> log;
    TJobMessage message{TJobMessage::Kind::Error, {}};
    const auto job = BuildUpdateJob(
        request, [&](const std::string& line) { log.push_back(line); }, &message);

    const Expected expected = Outcome(file);
    Check(job.has_value() == expected.accepted);
    if (!job) {
        Check(message.kind == expected.kind);
        Check(message.text.compare(0, expected.text.size(), expected.text) == 0);
        Check(expected.text != "Cannot read " || message.text.size() > expected.text.size());
        Check(log.empty());
        return 0;
    }
    Check(std::memcmp(job->header.data(), file.data(), kHeaderSize) == 0);
    Check(job->image.size() == file.size() - kImageOffset);
    Check(job->image.empty() ||
          std::memcmp(job->image.data(), file.data() + kImageOffset, job->image.size()) == 0);
    const bool withPak = (flags & 1) && (flags & 2);
    Check(job->pak == std::vector<std::uint8_t>(withPak ? pak.begin() : pak.end(), pak.end()));
    // The pak line, then the line that says the recall file could not be written.
    Check(log.size() == (withPak ? 2u : 1u));
    if (withPak) Check(log[0] == "load " + PathUtf8(pakFile));
    Check(log.back().find("updatefile.txt") != std::string::npos);
    Check(!std::filesystem::exists(request.programFolder, ec));
    return 0;
}
