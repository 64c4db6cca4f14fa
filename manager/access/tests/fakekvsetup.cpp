// A stand-in for the device-access library: records its arguments and answers fixed results.
// Built twice: complete, and with FAKE_KV_WITHOUT_RESET to check that the loader names a missing
// function.
#include "manager/access/tests/fakekvsetup.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>

namespace {

FakeKvCall g_last;

std::mutex g_mutex;
std::condition_variable g_released;
bool g_hold = false, g_entered = false;
std::string g_log;

// Entry and exit of every call, in the order the library saw them.
struct LogScope {
    explicit LogScope(const char* name) : name_(name) { Add('+'); }
    ~LogScope() { Add('-'); }
    void Add(char mark) {
        std::lock_guard lock(g_mutex);
        g_log += std::string(1, mark) + name_ + " ";
    }
    const char* name_;
};

void Record(const char* function, const char* ip, const uint8_t* mac,
            const TDeviceCredentials* cred, int32_t length = 0) {
    std::memset(&g_last, 0, sizeof g_last);
    std::strncpy(g_last.function, function, sizeof g_last.function - 1);
    if (ip) std::strncpy(g_last.ip, ip, sizeof g_last.ip - 1);
    if (mac) std::memcpy(g_last.mac, mac, sizeof g_last.mac);
    if (cred) g_last.cred = *cred;
    g_last.length = length;
}

}  // namespace

extern "C" {

const FakeKvCall* fake_kv_last_call() {
    return &g_last;
}

void fake_kv_hold_search(int hold) {
    std::lock_guard lock(g_mutex);
    g_hold = hold != 0;
    g_entered = false;
    g_log.clear();
}

int fake_kv_search_entered() {
    std::lock_guard lock(g_mutex);
    return g_entered;
}

void fake_kv_release_search() {
    std::lock_guard lock(g_mutex);
    g_hold = false;
    g_released.notify_all();
}

const char* fake_kv_call_log() {
    static std::string copy;
    std::lock_guard lock(g_mutex);
    copy = g_log;
    return copy.c_str();
}

int32_t KV_CALL kv_search_all(TDeviceRecord* records, int32_t* count) {
    LogScope scope("search_all");
    {
        std::unique_lock lock(g_mutex);
        g_entered = true;
        g_released.wait(lock, [] { return !g_hold; });
    }
    Record("kv_search_all", nullptr, nullptr, nullptr, *count);
    const int32_t found = *count < fakekv::kFound ? *count : fakekv::kFound;
    for (int32_t i = 0; i < found; ++i)
        records[i].bytes[60] = static_cast<uint8_t>(i + 1);
    *count = found;
    return 1;
}

int32_t KV_CALL kv_search_one(const char* ip, TDeviceRecord* record) {
    Record("kv_search_one", ip, nullptr, nullptr);
    record->bytes[0] = 0x77;
    return fakekv::kSearchOne;
}

int32_t KV_CALL kv_login(const char* ip, const uint8_t* mac, TDeviceCredentials* cred) {
    Record("kv_login", ip, mac, cred);
    return fakekv::kLogin;
}

int32_t KV_CALL kv_logout(const char* ip, const uint8_t* mac, TDeviceCredentials* cred) {
    Record("kv_logout", ip, mac, cred);
    return fakekv::kLogout;
}

#ifndef FAKE_KV_WITHOUT_RESET
int32_t KV_CALL kv_reset(const char* ip, const uint8_t* mac, TDeviceCredentials* cred) {
    Record("kv_reset", ip, mac, cred);
    return fakekv::kReset;
}
#endif

int32_t KV_CALL kv_read_setting2(const char* ip, const uint8_t* mac, uint8_t* block,
                                 TDeviceCredentials* cred) {
    LogScope scope("read_setting2");
    Record("kv_read_setting2", ip, mac, cred);
    std::memset(block, fakekv::kBlockByte, 1356);
    return fakekv::kRead;
}

int32_t KV_CALL kv_write_setting2(const char* ip, const uint8_t* mac, uint8_t* block,
                                  int32_t length, TDeviceCredentials* cred) {
    Record("kv_write_setting2", ip, mac, cred, length);
    if (length > 0) g_last.blockEnd = block[length - 1];
    return fakekv::kWrite;
}

}  // extern "C"
