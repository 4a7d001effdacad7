// Device modification times: seconds since 6 January 1980 00:00:00 local time (no daylight
// saving), the epoch the handset's file system counts from.
#pragma once

#include <cstdint>
#include <ctime>

namespace sim {

// The device time of a PC time, clamped to 0 before the epoch and to the 32-bit range.
uint32_t DeviceTimeFromPc(std::time_t pcTime);

uint32_t DeviceTimeNow();

}  // namespace sim
