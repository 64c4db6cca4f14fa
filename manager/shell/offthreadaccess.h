// The device procedures' view of the library from a window: each call runs on a worker thread
// while the window thread waits in an event loop that repaints the windows and serves timers and
// messages, but takes no mouse or keyboard input.
#pragma once

#include "common/widgets/offthread.h"
#include "manager/access/deviceaccess.h"

class TOffThreadDeviceAccess : public IDeviceAccess {
  public:
    explicit TOffThreadDeviceAccess(IDeviceAccess& inner) : inner_(inner) {}

    std::int32_t SearchAll(TDeviceRecord* records, std::int32_t* count) override {
        return Run([&] { return inner_.SearchAll(records, count); });
    }
    std::int32_t SearchOne(const std::string& ip, TDeviceRecord* record) override {
        return Run([&] { return inner_.SearchOne(ip, record); });
    }
    std::int32_t Login(const std::string& ip, const TMacBytes& mac,
                       TDeviceCredentials* cred) override {
        return Run([&] { return inner_.Login(ip, mac, cred); });
    }
    std::int32_t Logout(const std::string& ip, const TMacBytes& mac,
                        TDeviceCredentials* cred) override {
        return Run([&] { return inner_.Logout(ip, mac, cred); });
    }
    std::int32_t Reset(const std::string& ip, const TMacBytes& mac,
                       TDeviceCredentials* cred) override {
        return Run([&] { return inner_.Reset(ip, mac, cred); });
    }
    std::int32_t ReadSetting(const std::string& ip, const TMacBytes& mac, std::uint8_t* block,
                             TDeviceCredentials* cred) override {
        return Run([&] { return inner_.ReadSetting(ip, mac, block, cred); });
    }
    std::int32_t WriteSetting(const std::string& ip, const TMacBytes& mac, std::uint8_t* block,
                              std::int32_t length, TDeviceCredentials* cred) override {
        return Run([&] { return inner_.WriteSetting(ip, mac, block, length, cred); });
    }

  private:
    template <typename Fn>
    static std::int32_t Run(Fn fn) {
        return RunOffWindowThread(fn, QEventLoop::ExcludeUserInputEvents);
    }

    IDeviceAccess& inner_;
};
