// Offsets of the fields of a TDeviceRecord (kvsetup.h) that the manager reads.
#pragma once

#include <cstddef>

#include "kvsetup/kvsetup.h"

namespace devrec {
constexpr std::size_t kSize = 360;
constexpr std::size_t kFirmware = 4, kFirmwareWidth = 32;
constexpr std::size_t kMac = 52;
constexpr std::size_t kIp = 60;
constexpr std::size_t kMask = 68;
constexpr std::size_t kGateway = 72;
constexpr std::size_t kDns1 = 76;
constexpr std::size_t kDns2 = 80;
constexpr std::size_t kModel = 112, kModelWidth = 32;
constexpr std::size_t kInterface = 156;
constexpr std::size_t kAccount = 180, kAccountWidth = 16;
constexpr std::size_t kDisplayName = 200, kDisplayNameWidth = 32;
}  // namespace devrec

static_assert(sizeof(TDeviceRecord) == devrec::kSize);
static_assert(sizeof(TDeviceCredentials) == 36);
