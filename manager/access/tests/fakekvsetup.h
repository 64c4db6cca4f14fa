// What the fake device-access library saw in its last call, for the loader tests.
#pragma once

#include "kvsetup/kvsetup.h"

struct FakeKvCall {
    char function[32];
    char ip[64];
    uint8_t mac[6];
    TDeviceCredentials cred;
    int32_t length;
    uint8_t blockEnd;  // the last byte of a written block
};

// Fixed results, one per function, so a test can tell which function a call reached.
namespace fakekv {
constexpr int32_t kSearchOne = 11, kLogin = 1, kLogout = -3, kReset = 7, kRead = 1, kWrite = -6;
constexpr int32_t kFound = 3;         // records filled by kv_search_all
constexpr uint8_t kBlockByte = 0x5A;  // every byte of a read block
}  // namespace fakekv

extern "C" {
const FakeKvCall* fake_kv_last_call();
// While held, kv_search_all stays inside the library until released, so a test can ask for other
// calls while a search runs. The call log holds "+name" on entry and "-name" on exit.
void fake_kv_hold_search(int hold);
int fake_kv_search_entered();
void fake_kv_release_search();
const char* fake_kv_call_log();
}
