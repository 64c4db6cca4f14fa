#include "manager/params/paramfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "manager/access/addresstext.h"

namespace {

namespace fs = std::filesystem;

TParamBlock Block(const std::string& model, std::uint8_t fill) {
    TParamBlock block;
    block.bytes.fill(fill);
    std::fill_n(block.begin() + kParamModelOffset, kParamModelWidth, 0);
    StrToFixed(model, block.data() + kParamModelOffset, kParamModelWidth);
    return block;
}

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("paramfile_test_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, std::size_t bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
        return path.string();
    }
    fs::path dir_;
};

TEST_F(ParamFileTest, SavedBlockLoadsByteForByteAndOtherLengthsAreRefused) {
    const TParamBlock saved = Block("SIP1603", 0x5A);
    const std::string path = (dir_ / "a.dps").string();
    ASSERT_TRUE(SaveParamFile(path, saved).ok());
    EXPECT_EQ(fs::file_size(path), kParamBlockBytes);
    TParamBlock loaded;
    ASSERT_TRUE(LoadParamFile(path, loaded).ok());
    EXPECT_EQ(loaded, saved);

    const TParamBlock untouched = loaded;
    for (std::size_t size : {0u, 1355u, 1357u}) {
        const TParamFileResult result = LoadParamFile(Write("n.dps", size), loaded);
        EXPECT_EQ(result.error, TParamFileResult::TError::kLength) << size;
        EXPECT_NE(result.message.find(std::to_string(size) + " bytes"), std::string::npos);
    }
    EXPECT_EQ(LoadParamFile((dir_ / "missing.dps").string(), loaded).error,
              TParamFileResult::TError::kIo);
    EXPECT_EQ(LoadParamFile(dir_.string(), loaded).error, TParamFileResult::TError::kIo);
    EXPECT_EQ(SaveParamFile((dir_ / "no" / "x.dps").string(), saved).error,
              TParamFileResult::TError::kIo);
    EXPECT_EQ(loaded, untouched);
}

TEST(ParamFileRules, CompatibilityIsTheSameFamily) {
    const struct {
        const char* file;
        const char* terminal;
        bool compatible;
    } cases[] = {
        {"SIP1603", "SIP1201", true}, {"SIP310", "SIP1601", false}, {"PA-1", "PA-1", false},
        {"SIP520", "sip525", true},   {"SIP650", "PA-1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsParamFileCompatible(Block(c.file, 1), Block(c.terminal, 2)), c.compatible)
            << c.file << " " << c.terminal;
}

}  // namespace
