#include "sim/device_time.h"

#include <cstdint>

namespace sim {

namespace {

std::time_t DeviceEpoch()
{
    std::tm epoch{};
    epoch.tm_year = 80;
    epoch.tm_mon = 0;
    epoch.tm_mday = 6;
    epoch.tm_isdst = 0;
    return std::mktime(&epoch);
}

}  // namespace

uint32_t DeviceTimeFromPc(std::time_t pcTime)
{
    const std::time_t epoch = DeviceEpoch();
    if (pcTime <= epoch)
        return 0;
    const auto seconds = static_cast<uint64_t>(pcTime - epoch);
    return seconds > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(seconds);
}

uint32_t DeviceTimeNow()
{
    return DeviceTimeFromPc(std::time(nullptr));
}

}  // namespace sim
