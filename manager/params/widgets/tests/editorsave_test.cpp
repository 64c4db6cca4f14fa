// The editor's pages against the Qt-free save rule that every other writer of a block follows:
// pages loaded from a block and saved write exactly what the rule makes of that block.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "manager/params/pagesave.h"
#include "manager/params/widgets/tests/editortestkit.h"

namespace {

// A block of noise: random bytes, printable texts of random lengths (blanks around them now and
// then, unterminated at times), codec lists of codes and repeats, the model and feature flags.
TParamBlock Noise(std::mt19937& random, const char* model, bool dataPort) {
    TParamBlock block;
    for (std::uint8_t& byte : block.bytes)
        byte = static_cast<std::uint8_t>(random());
    for (const TParamField& field : ParamFields()) {
        std::uint8_t* bytes = block.data() + field.offset;
        if (field.kind == TFieldKind::kText || field.kind == TFieldKind::kTextCleared) {
            const std::size_t length = random() % (field.width + 1u);
            for (std::size_t i = 0; i < length; ++i)
                bytes[i] = static_cast<std::uint8_t>(random() % 5 == 0 ? ' ' : 33 + random() % 94);
            if (length < field.width) bytes[length] = 0;
        } else if (field.kind == TFieldKind::kCodecList) {
            for (std::size_t i = 0; i < field.width; ++i)
                bytes[i] = static_cast<std::uint8_t>(random() % 5);
        }
    }
    std::fill_n(block.data() + kParamModelOffset, kParamModelWidth, 0);
    StrToFixed(model, block.data() + kParamModelOffset, kParamModelWidth);
    block[8] = dataPort ? kFeatureDataPort : 0;
    return block;
}

// The fields and reserved bytes that differ, with the differing bytes' offsets in the field.
std::string Differences(const TParamBlock& a, const TParamBlock& b) {
    std::string found;
    auto compare = [&](const std::string& name, std::size_t first, std::size_t width) {
        std::string at;
        for (std::size_t i = 0; i < width; ++i)
            if (a[first + i] != b[first + i]) at += " " + std::to_string(i);
        if (!at.empty()) found += name + " (" + at.substr(1) + ") ";
    };
    for (const TParamField& field : ParamFields())
        compare(field.name, field.offset, field.width);
    for (const TByteRange& range : ReservedRanges())
        compare("reserved " + std::to_string(range.first), range.first,
                range.last - range.first + 1u);
    return found;
}

TEST(EditorSave, PagesWriteWhatTheSaveRuleMakesOfTheBlockTheyLoaded) {
    std::mt19937 random(20261209);
    for (const char* model : {"SIP310", "SIP520", "SIP430", "SIP1601", "SIP460", "SIP650", "PA-9"})
        for (int round = 0; round < 4; ++round) {
            const bool dataPort = (round & 1) != 0;
            const TParamBlock terminal = Noise(random, model, dataPort);
            // A file of the same family, whose data port may differ from the terminal's.
            const TParamBlock file = Noise(random, model, round >= 2 ? !dataPort : dataPort);
            TEditorBench bench;
            TFrmProperty& editor = bench.Open(terminal);
            for (const TParamBlock* shown : {&terminal, &file}) {
                if (shown == &file) editor.LoadPages(file, false);
                TParamBlock saved = terminal;
                editor.SavePages(saved);
                EXPECT_EQ(Differences(saved, SaveShownPages(*shown, terminal)), "")
                    << model << " round " << round << (shown == &file ? " file" : " terminal");
            }
        }
}

}  // namespace
