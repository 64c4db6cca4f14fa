/* Device-access library: search, login, logout, reset and the parameter block of terminals.
 *
 * Pelmora loads this library by name at start ("libkvsetup.so", "kvsetup.dll") and resolves the
 * seven functions below. A vendor's library with the same functions can replace the project's own.
 * All integers are little-endian; the structures are packed.
 *
 * Results: 1 success, -3 busy (try again), -6 credentials wanted or refused; the other values
 * are listed in docs/kvsetup-protocol.md.
 */
#ifndef KVSETUP_H
#define KVSETUP_H

#include <stdint.h>

/* The calling convention of the seven functions: __stdcall in 32-bit Windows, as a vendor's
 * kvsetup.dll has it (its exports carry the plain names); 64-bit Windows and Linux have one. */
#if defined(_WIN32) && !defined(_WIN64)
#define KV_CALL __stdcall
#else
#define KV_CALL
#endif

/* How the library's own build exports the seven functions and nothing else. */
#ifdef _WIN32
#define KV_EXPORTED __declspec(dllexport)
#else
#define KV_EXPORTED __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)
/* One terminal found by a search; the fields lie at fixed offsets (see devicerecord.h). */
typedef struct {
    uint8_t bytes[360];
} TDeviceRecord;

typedef struct {
    uint8_t flag;        /* always 0 */
    uint8_t reserved[3]; /* zero */
    char user[16];
    char password[16];
} TDeviceCredentials; /* 36 bytes */
#pragma pack(pop)

int32_t KV_CALL kv_search_all(TDeviceRecord* records, int32_t* count);
int32_t KV_CALL kv_search_one(const char* ip, TDeviceRecord* record);
int32_t KV_CALL kv_login(const char* ip, const uint8_t* mac, TDeviceCredentials* cred);
int32_t KV_CALL kv_logout(const char* ip, const uint8_t* mac, TDeviceCredentials* cred);
int32_t KV_CALL kv_reset(const char* ip, const uint8_t* mac, TDeviceCredentials* cred);
int32_t KV_CALL kv_read_setting2(const char* ip, const uint8_t* mac, uint8_t* block,
                                 TDeviceCredentials* cred);
int32_t KV_CALL kv_write_setting2(const char* ip, const uint8_t* mac, uint8_t* block,
                                  int32_t length, TDeviceCredentials* cred);

#ifdef __cplusplus
}
#endif

#endif /* KVSETUP_H */
