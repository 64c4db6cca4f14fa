#include <gtest/gtest.h>

#include "manager/access/kvlibrary.h"
#include "manager/access/tests/fakekvsetup.h"

namespace {

TEST(KvLibrarySearchPath, ProgramFolderFirstThenTheBareName) {
    std::string error;
    // No library in the folder: the one on the search path is taken.
    auto library = TKvLibrary::Load("/nonexistent-pelmora-folder", &error);
    ASSERT_NE(library, nullptr) << error;
    EXPECT_EQ(library->FileName(), "libkvsetup.so");
    TDeviceRecord record{};
    EXPECT_EQ(library->SearchOne("127.0.1.1", &record), fakekv::kSearchOne);

    library = TKvLibrary::Load("", &error);
    ASSERT_NE(library, nullptr) << error;
    EXPECT_EQ(library->FileName(), "libkvsetup.so");

    // A library in the program folder wins, even one that lacks a function.
    EXPECT_EQ(TKvLibrary::Load(KV_FAKE_PARTIAL_DIR, &error), nullptr);
    EXPECT_EQ(error, std::string(KV_FAKE_PARTIAL_DIR) + "/libkvsetup.so has no function kv_reset");
}

}  // namespace
