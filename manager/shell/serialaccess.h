// The device-access library is called from the window thread and, for the search, from a worker
// thread. The library promises nothing about concurrent calls, so this wrapper lets one call in
// at a time.
#pragma once

#include <mutex>

#include "manager/access/deviceaccess.h"

class TSerialDeviceAccess : public IDeviceAccess {
  public:
    explicit TSerialDeviceAccess(IDeviceAccess& inner) : inner_(inner) {}

    std::int32_t SearchAll(TDeviceRecord* records, std::int32_t* count) override {
        std::lock_guard lock(mutex_);
        return inner_.SearchAll(records, count);
    }
    std::int32_t SearchOne(const std::string& ip, TDeviceRecord* record) override {
        std::lock_guard lock(mutex_);
        return inner_.SearchOne(ip, record);
    }
    std::int32_t Login(const std::string& ip, const TMacBytes& mac,
                       TDeviceCredentials* cred) override {
        std::lock_guard lock(mutex_);
        return inner_.Login(ip, mac, cred);
    }
    std::int32_t Logout(const std::string& ip, const TMacBytes& mac,
                        TDeviceCredentials* cred) override {
        std::lock_guard lock(mutex_);
        return inner_.Logout(ip, mac, cred);
    }
    std::int32_t Reset(const std::string& ip, const TMacBytes& mac,
                       TDeviceCredentials* cred) override {
        std::lock_guard lock(mutex_);
        return inner_.Reset(ip, mac, cred);
    }
    std::int32_t ReadSetting(const std::string& ip, const TMacBytes& mac, std::uint8_t* block,
                             TDeviceCredentials* cred) override {
        std::lock_guard lock(mutex_);
        return inner_.ReadSetting(ip, mac, block, cred);
    }
    std::int32_t WriteSetting(const std::string& ip, const TMacBytes& mac, std::uint8_t* block,
                              std::int32_t length, TDeviceCredentials* cred) override {
        std::lock_guard lock(mutex_);
        return inner_.WriteSetting(ip, mac, block, length, cred);
    }

  private:
    IDeviceAccess& inner_;
    std::mutex mutex_;
};
