#include "manager/access/kvlibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "common/platform/dynlib.h"
#include "manager/access/tests/fakekvsetup.h"

namespace {

const std::string kFullDir = KV_FAKE_FULL_DIR;        // complete fake library
const std::string kPartialDir = KV_FAKE_PARTIAL_DIR;  // the same without kv_reset
const std::string kName = KvLibraryFileName();        // libkvsetup.so, kvsetup.dll

TEST(KvLibraryLoad, FailuresNameTheFileAndTheFunction) {
    std::string error;
    EXPECT_EQ(TKvLibrary::Load(kPartialDir, &error), nullptr);
    EXPECT_EQ(error, kPartialDir + "/" + kName + " has no function kv_reset");

    error.clear();
    EXPECT_EQ(TKvLibrary::Load("/nonexistent-pelmora-folder", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent-pelmora-folder/" + kName), std::string::npos) << error;
    EXPECT_EQ(error.rfind("Cannot load " + kName + ": ", 0), 0u) << error;

    EXPECT_EQ(TKvLibrary::Load("/nonexistent-pelmora-folder", nullptr), nullptr);
}

// A program run on a home folder without the library takes the one beside its executable; a
// library in the home folder comes first.
TEST(KvLibraryLoad, HomeFolderThenTheExecutablesFolder) {
    struct Case {
        std::string home, executable, loaded;  // loaded empty: the load fails
    };
    const Case cases[] = {
        {"/nonexistent-pelmora-folder", kFullDir, kFullDir + "/" + kName},
        {"", kFullDir, kFullDir + "/" + kName},
        {kFullDir, kPartialDir, kFullDir + "/" + kName},
        {kPartialDir, kFullDir, ""},
    };
    for (const Case& c : cases) {
        std::string error;
        auto library = TKvLibrary::LoadForProgram(c.home, c.executable, &error);
        EXPECT_EQ(library ? library->FileName() : "", c.loaded) << c.home << " " << error;
    }
}

class KvLibraryCalls : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        library_ = TKvLibrary::Load(kFullDir, &error);
        ASSERT_NE(library_, nullptr) << error;
        // The loaded library's own record of its last call.
        void* handle = OpenSharedLibrary(library_->FileName(), nullptr);  // the one loaded
        ASSERT_NE(handle, nullptr);
        auto lastCall = reinterpret_cast<const FakeKvCall* (*)()>(
            SharedLibrarySymbol(handle, "fake_kv_last_call"));
        hold_ = reinterpret_cast<void (*)(int)>(SharedLibrarySymbol(handle, "fake_kv_hold_search"));
        entered_ =
            reinterpret_cast<int (*)()>(SharedLibrarySymbol(handle, "fake_kv_search_entered"));
        release_ =
            reinterpret_cast<void (*)()>(SharedLibrarySymbol(handle, "fake_kv_release_search"));
        log_ = reinterpret_cast<const char* (*)()>(SharedLibrarySymbol(handle, "fake_kv_call_log"));
        CloseSharedLibrary(handle);  // the library stays loaded by library_
        ASSERT_NE(lastCall, nullptr);
        last_ = lastCall();
        ASSERT_TRUE(hold_ && entered_ && release_ && log_);
    }

    // Polls a condition of another thread, for at most ten seconds.
    static bool WaitFor(const std::function<bool()>& condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::yield();
        }
        return true;
    }

    std::unique_ptr<TKvLibrary> library_;
    const FakeKvCall* last_ = nullptr;
    void (*hold_)(int) = nullptr;
    int (*entered_)() = nullptr;
    void (*release_)() = nullptr;
    const char* (*log_)() = nullptr;
};

// A block read asked for while a search runs waits for the search to leave the library.
TEST_F(KvLibraryCalls, CallsNeverOverlap) {
    hold_(1);
    std::thread search([&] {
        std::vector<TDeviceRecord> records(4);
        std::int32_t count = 4;
        library_->SearchAll(records.data(), &count);
    });
    ASSERT_TRUE(WaitFor([&] { return entered_() != 0; }));
    std::thread read([&] {
        std::vector<std::uint8_t> block(1356);
        TDeviceCredentials cred{};
        library_->ReadSetting("", TMacBytes{}, block.data(), &cred);
    });
    const bool queued = WaitFor([&] { return library_->WaitingCalls() == 1; });
    release_();
    search.join();
    read.join();
    EXPECT_TRUE(queued);
    EXPECT_STREQ(log_(), "+search_all -search_all +read_setting2 -read_setting2 ");
    hold_(0);
}

TEST_F(KvLibraryCalls, LoadsFromTheProgramFolder) {
    EXPECT_EQ(library_->FileName(), kFullDir + "/" + kName);
}

TEST_F(KvLibraryCalls, AddressedCallsPassTheirArguments) {
    const TMacBytes mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    TDeviceCredentials cred{};
    std::strcpy(cred.user, "admin");
    std::strcpy(cred.password, "secret");
    std::vector<std::uint8_t> block(1356, 0);
    block.back() = 0xC3;

    struct Case {
        const char* function;
        std::string ip;
        std::int32_t result;
        std::function<std::int32_t(const std::string&)> call;
    };
    const std::vector<Case> cases = {
        {"kv_login", "", fakekv::kLogin,
         [&](const std::string& ip) { return library_->Login(ip, mac, &cred); }},
        {"kv_logout", "127.0.1.2", fakekv::kLogout,
         [&](const std::string& ip) { return library_->Logout(ip, mac, &cred); }},
        {"kv_reset", "127.0.1.3", fakekv::kReset,
         [&](const std::string& ip) { return library_->Reset(ip, mac, &cred); }},
        {"kv_read_setting2", "", fakekv::kRead,
         [&](const std::string& ip) {
             return library_->ReadSetting(ip, mac, block.data(), &cred);
         }},
        {"kv_write_setting2", "127.0.1.5", fakekv::kWrite,
         [&](const std::string& ip) {
             return library_->WriteSetting(ip, mac, block.data(), 1356, &cred);
         }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(c.ip), c.result) << c.function;
        EXPECT_STREQ(last_->function, c.function);
        EXPECT_EQ(std::string(last_->ip), c.ip) << c.function;
        EXPECT_EQ(0, std::memcmp(last_->mac, mac.data(), 6)) << c.function;
        EXPECT_STREQ(last_->cred.user, "admin") << c.function;
        EXPECT_STREQ(last_->cred.password, "secret") << c.function;
    }
    // The read filled the block; the write then passed its length and bytes.
    EXPECT_EQ(last_->length, 1356);
    EXPECT_EQ(last_->blockEnd, fakekv::kBlockByte);
    EXPECT_EQ(block.front(), fakekv::kBlockByte);
}

TEST_F(KvLibraryCalls, SearchesFillRecords) {
    std::vector<TDeviceRecord> records(1024);
    std::int32_t count = 1024;
    EXPECT_EQ(library_->SearchAll(records.data(), &count), 1);
    EXPECT_STREQ(last_->function, "kv_search_all");
    EXPECT_EQ(last_->length, 1024);  // the capacity it was given
    EXPECT_EQ(count, fakekv::kFound);
    EXPECT_EQ(records[2].bytes[60], 3);
    EXPECT_EQ(records[3].bytes[60], 0);

    TDeviceRecord one{};
    EXPECT_EQ(library_->SearchOne("127.0.1.9", &one), fakekv::kSearchOne);
    EXPECT_STREQ(last_->function, "kv_search_one");
    EXPECT_STREQ(last_->ip, "127.0.1.9");
    EXPECT_EQ(one.bytes[0], 0x77);
}

}  // namespace
