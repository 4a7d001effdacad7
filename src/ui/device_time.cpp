#include "ui/device_time.h"

#include <array>

std::time_t DeviceEpoch()
{
    static const std::time_t epoch = ComputeDeviceEpoch();
    return epoch;
}

std::time_t DeviceTimeToCalendar(std::uint32_t deviceSeconds, std::time_t epoch)
{
    // time_t is 64 bits here, so the sum of two 32-bit quantities cannot overflow.
    return epoch + static_cast<std::time_t>(deviceSeconds);
}

std::string FormatDeviceTime(std::uint32_t deviceSeconds, std::time_t epoch)
{
    if (epoch == static_cast<std::time_t>(-1))
        return {};
    const std::time_t when = DeviceTimeToCalendar(deviceSeconds, epoch);
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr)
        return {};
    std::array<char, 128> text{};
    // The locale decides how dates look, two-digit years included.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-y2k"
    const std::size_t length = std::strftime(text.data(), text.size(), "%x, %X", &local);
#pragma GCC diagnostic pop
    return std::string(text.data(), length);
}
