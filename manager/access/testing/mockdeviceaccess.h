// A GoogleMock stand-in for the device-access library, for tests of the manager's procedures.
#pragma once

#include <gmock/gmock.h>

#include "manager/access/deviceaccess.h"

class MockDeviceAccess : public IDeviceAccess {
  public:
    MOCK_METHOD(std::int32_t, SearchAll, (TDeviceRecord*, std::int32_t*), (override));
    MOCK_METHOD(std::int32_t, SearchOne, (const std::string&, TDeviceRecord*), (override));
    MOCK_METHOD(std::int32_t, Login, (const std::string&, const TMacBytes&, TDeviceCredentials*),
                (override));
    MOCK_METHOD(std::int32_t, Logout, (const std::string&, const TMacBytes&, TDeviceCredentials*),
                (override));
    MOCK_METHOD(std::int32_t, Reset, (const std::string&, const TMacBytes&, TDeviceCredentials*),
                (override));
    MOCK_METHOD(std::int32_t, ReadSetting,
                (const std::string&, const TMacBytes&, std::uint8_t*, TDeviceCredentials*),
                (override));
    MOCK_METHOD(std::int32_t, WriteSetting,
                (const std::string&, const TMacBytes&, std::uint8_t*, std::int32_t,
                 TDeviceCredentials*),
                (override));
};
