#include "sim/device_time.h"

#include <cstdint>

#include "platform/device_epoch.h"

namespace sim {

uint32_t DeviceTimeFromPc(std::time_t pcTime)
{
    const std::time_t epoch = ComputeDeviceEpoch();
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
