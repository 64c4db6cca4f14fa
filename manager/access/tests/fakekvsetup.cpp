// A stand-in for the device-access library: records its arguments and answers fixed results.
// Built twice: complete, and with FAKE_KV_WITHOUT_RESET to check that the loader names a missing
// function.
#include "manager/access/tests/fakekvsetup.h"

#include <cstring>

namespace {

FakeKvCall g_last;

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

int32_t KV_CALL kv_search_all(TDeviceRecord* records, int32_t* count) {
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
