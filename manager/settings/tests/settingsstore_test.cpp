// The system's settings stores: what is written is read back unchanged, by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "manager/settings/settingsstore.h"

namespace {

// A store of its own for each test: a folder in the temporary folder, and an organization
// name of its own for the registry.
class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string unique = "PelmoraStoreTest" + std::to_string(std::random_device{}());
        folder_ = std::filesystem::temp_directory_path() / unique;
        place_ = {false, unique, "Drovik", folder_.string()};
    }
    void TearDown() override {
        for (const char* application : {"Drovik", "Pelmora"})
            RemoveSettingsStore({false, place_.organization, application, place_.folder});
        std::filesystem::remove_all(folder_);
    }

    std::filesystem::path folder_;
    TStorePlace place_;
};

TEST_F(SettingsStoreTest, ValuesComeBackAsWritten) {
    const auto store = MakeSettingsStore(place_);
    EXPECT_FALSE(store->ReadText("ShowUnknowDeviceType"));
    const std::vector<std::pair<std::string, std::string>> values = {
        {"ShowUnknowDeviceType", "1"},
        {"Path", "C:\\Program Files\\Pelmora\\Pelmora.exe"},
        {"Path", "/opt/pelmora, \"new\"/Pelmora"},
        {"Other", "@at the start; = inside "},
        {"Other", "程序 路径"},
        {"Empty", ""},
    };
    for (const auto& [name, value] : values) {
        ASSERT_EQ(store->WriteText(name, value).outcome, TStoreWrite::Written) << value;
        EXPECT_EQ(store->ReadText(name), value);
    }
    // A second store on the same place sees every value, and the last of each name.
    const auto again = MakeSettingsStore(place_);
    EXPECT_EQ(again->ReadText("ShowUnknowDeviceType"), "1");
    EXPECT_EQ(again->ReadText("Path"), "/opt/pelmora, \"new\"/Pelmora");
    EXPECT_EQ(again->ReadText("Other"), "程序 路径");
    EXPECT_EQ(again->ReadText("Empty"), "");
    EXPECT_FALSE(again->ReadText("Missing"));
}

TEST_F(SettingsStoreTest, StoresOfOtherNamesAreApart) {
    const auto drovik = MakeSettingsStore(place_);
    TStorePlace other = place_;
    other.application = "Pelmora";
    const auto pelmora = MakeSettingsStore(other);
    ASSERT_EQ(drovik->WriteText("Path", "a").outcome, TStoreWrite::Written);
    ASSERT_EQ(pelmora->WriteText("Path", "b").outcome, TStoreWrite::Written);
    EXPECT_EQ(drovik->ReadText("Path"), "a");
    EXPECT_EQ(pelmora->ReadText("Path"), "b");
}

TEST_F(SettingsStoreTest, ARemovedStoreHoldsNothingAndItsNeighbourStays) {
    TStorePlace other = place_;
    other.application = "Pelmora";
    ASSERT_EQ(MakeSettingsStore(place_)->WriteText("Path", "a").outcome, TStoreWrite::Written);
    ASSERT_EQ(MakeSettingsStore(other)->WriteText("Path", "b").outcome, TStoreWrite::Written);
    RemoveSettingsStore(place_);
    EXPECT_FALSE(MakeSettingsStore(place_)->ReadText("Path"));
    EXPECT_EQ(MakeSettingsStore(other)->ReadText("Path"), "b");
}

}  // namespace
