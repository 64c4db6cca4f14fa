// The seven calls of the device-access library, as the manager uses them.
//
// TKvLibrary (kvlibrary.h) forwards them to the loaded libkvsetup.so / kvsetup.dll; tests put a
// scripted fake in its place (testing/mockdeviceaccess.h).
#pragma once

#include <cstdint>
#include <string>

#include "kvsetup/kvsetup.h"
#include "manager/access/addresstext.h"

// Results the callers rely on; any other value is shown as an error code.
namespace kvresult {
constexpr std::int32_t kOk = 1;
constexpr std::int32_t kBusy = -3;
constexpr std::int32_t kCredentials = -6;
constexpr std::int32_t kNotPermitted = -8;  // the address is outside KVSETUP_TARGETS
constexpr std::int32_t kBadTargets = -9;    // KVSETUP_TARGETS cannot be read
}  // namespace kvresult

// A result number as messages show it ("-3"). The library's own refusals say what they mean,
// since no terminal was asked at all.
inline std::string ResultNumberText(std::int32_t result) {
    switch (result) {
        case kvresult::kNotPermitted:
            return "-8, the address is outside KVSETUP_TARGETS";
        case kvresult::kBadTargets:
            return "-9, KVSETUP_TARGETS cannot be read";
        default:
            return std::to_string(result);
    }
}

class IDeviceAccess {
  public:
    virtual ~IDeviceAccess() = default;
    virtual std::int32_t SearchAll(TDeviceRecord* records, std::int32_t* count) = 0;
    virtual std::int32_t SearchOne(const std::string& ip, TDeviceRecord* record) = 0;
    virtual std::int32_t Login(const std::string& ip, const TMacBytes& mac,
                               TDeviceCredentials* cred) = 0;
    virtual std::int32_t Logout(const std::string& ip, const TMacBytes& mac,
                                TDeviceCredentials* cred) = 0;
    virtual std::int32_t Reset(const std::string& ip, const TMacBytes& mac,
                               TDeviceCredentials* cred) = 0;
    virtual std::int32_t ReadSetting(const std::string& ip, const TMacBytes& mac,
                                     std::uint8_t* block, TDeviceCredentials* cred) = 0;
    virtual std::int32_t WriteSetting(const std::string& ip, const TMacBytes& mac,
                                      std::uint8_t* block, std::int32_t length,
                                      TDeviceCredentials* cred) = 0;
};
