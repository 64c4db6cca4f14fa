#include "manager/params/paramfilecommands.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "common/atomicfile.h"
#include "manager/params/pagevalues.h"
#include "manager/params/paramfamily.h"
#include "manager/params/paramfile.h"

namespace fs = std::filesystem;

namespace {

// A file that is not 1356 bytes long is not read at all: a huge one chosen by mistake
// would otherwise be read whole into memory first.
bool WrongSize(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return !ec && size != kParamBlockBytes;
}

void CopyRunStatus(const TParamBlock& terminal, TParamBlock& block) {
    block[kParamRunStatusOffset] = terminal[kParamRunStatusOffset];
}

bool PageOfFieldShown(const TParamField& field, TModelFamily family, bool dataPort) {
    const TPageEntry* entry = FindPage(field.page);
    return entry != nullptr && IsPageShown(*entry, family, dataPort);
}

}  // namespace

std::string DefaultParamFilePath(const std::string& dataFolder, const TParamBlock& terminal) {
    const std::string name = DefaultParamFileName(BlockFamily(terminal));
    return name.empty() ? std::string() : (fs::path(dataFolder) / name).string();
}

TDefaultParams DefaultParams(const TParamBlock& terminal, const std::string& dataFolder,
                             std::string_view managementServer) {
    TDefaultParams result;
    const std::string path = DefaultParamFilePath(dataFolder, terminal);
    std::string bytes, error;
    bool missing = false;
    if (path.empty()) {
        // No family, no file: the built-in defaults.
    } else if (WrongSize(path)) {
        result.wrongLength = true;
    } else if (!ReadWholeFile(path, bytes, &error, &missing)) {
        if (!missing) {
            result.source = TDefaultParams::TSource::kIoError;
            result.error = path + ": " + error;
            return result;
        }
    } else {
        const std::optional<TParamBlock> file = ParseParamFile(bytes);
        result.wrongLength = !file;
        // A file of another family is passed over without a message.
        if (file && IsParamFileCompatible(*file, terminal)) {
            result.source = TDefaultParams::TSource::kFile;
            result.block = *file;
            CopyRunStatus(terminal, result.block);
            return result;
        }
    }
    result.block = terminal;
    ApplyBuiltInDefaults(result.block, managementServer);
    return result;
}

std::string SaveDefaultParams(const TParamBlock& terminal, const std::string& dataFolder) {
    const std::string path = DefaultParamFilePath(dataFolder, terminal);
    if (path.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory).message() +
               " (the model has no default parameter file)";
    std::error_code ec;
    fs::create_directories(dataFolder, ec);
    if (ec) return dataFolder + ": " + ec.message();
    const TParamFileResult saved = SaveParamFile(path, terminal);
    return saved.ok() ? std::string() : path + ": " + saved.message;
}

TImportParams ImportParams(const std::string& path, const TParamBlock& terminal) {
    TImportParams result;
    if (WrongSize(path)) return {TImportParams::TOutcome::kWrongLength, {}, {}};
    const TParamFileResult loaded = LoadParamFile(path, result.block);
    if (loaded.error == TParamFileResult::TError::kIo)
        return {TImportParams::TOutcome::kIoError, {}, path + ": " + loaded.message};
    if (loaded.error == TParamFileResult::TError::kLength)
        return {TImportParams::TOutcome::kWrongLength, {}, {}};
    if (!IsParamFileCompatible(result.block, terminal))
        return {TImportParams::TOutcome::kIncompatible, {}, {}};
    CopyRunStatus(terminal, result.block);
    return result;
}

TParamBlock SaveShownPages(const TParamBlock& shown, const TParamBlock& terminal) {
    TParamBlock block = terminal;
    const TModelFamily family = BlockFamily(terminal);
    const bool dataPort = HasDataPort(terminal);
    std::set<std::string_view> mirrors;
    for (const TParamField& field : ParamFields())
        if (!field.mirror.empty()) mirrors.insert(field.mirror);
    for (const TParamField& field : ParamFields()) {
        if (field.readOnly && !mirrors.count(field.name)) continue;
        if (!PageOfFieldShown(field, family, dataPort)) continue;
        std::copy_n(shown.begin() + field.offset, field.width, block.begin() + field.offset);
    }
    const bool keys =
        FindPage("KeySetting") && IsPageShown(*FindPage("KeySetting"), family, dataPort);
    for (std::size_t key = 0; keys && key < KeyRecords().size(); ++key)
        SetKeyRecord(block, key, GetKeyRecord(block, key));
    if (PageOfFieldShown(ParamField("monitor1.address"), family, dataPort))
        SetMonitorRows(block, GetMonitorRows(block));
    for (const char* name : {"talk.codecs", "multicast.codec"}) {
        const TParamField& field = ParamField(name);
        if (!PageOfFieldShown(field, family, dataPort)) continue;
        std::vector<int> codes = GetCodecs(block, field);
        if (field.name == "multicast.codec" && codes.size() > 1) codes.resize(1);
        SetCodecs(block, field, codes);
    }
    // Values the pages show by a reading rule go back as shown.
    auto normalise = [&](const char* name, auto shownValue) {
        const TParamField& field = ParamField(name);
        if (PageOfFieldShown(field, family, dataPort))
            SetFieldInt(block, field, shownValue(GetFieldInt(block, field)));
    };
    normalise("talk.echo", [](std::int64_t v) { return std::min<std::int64_t>(v, 4); });
    normalise("monitor.volume",
              [](std::int64_t v) { return std::clamp<std::int64_t>(v, 60, 100); });
    for (const char* name : {"talk.input", "multicast.input"})
        normalise(name, [](std::int64_t v) { return v; });  // flag-like: 0 or 1
    for (const char* name : {"uart_ctrl.data_bits", "uart_data.data_bits"})
        normalise(name, [](std::int64_t v) { return ShownDataBits(v); });
    for (const char* name : {"uart_ctrl.stop_bits", "uart_data.stop_bits"})
        normalise(name, [](std::int64_t v) { return ShownStopBits(v); });
    // The talk page writes its input into the multicast input too; a multicast page after it.
    const TParamField& multicastInput = ParamField("multicast.input");
    if (PageOfFieldShown(ParamField("talk.input"), family, dataPort) &&
        !PageOfFieldShown(multicastInput, family, dataPort))
        SetFieldInt(block, multicastInput, GetFieldInt(block, ParamField("talk.input")));
    SetFieldInt(block, ParamField("uart_ctrl.frame_size"), 1000);
    if (dataPort) SetFieldInt(block, ParamField("uart_data.protocol"), 1);
    return block;
}
