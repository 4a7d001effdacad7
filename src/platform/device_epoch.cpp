#include "platform/device_epoch.h"

std::time_t ComputeDeviceEpoch()
{
    std::tm epoch{};
    epoch.tm_year = 80;
    epoch.tm_mon = 0;
    epoch.tm_mday = 6;
    epoch.tm_yday = 5;
    epoch.tm_isdst = 0;
    return std::mktime(&epoch);
}
