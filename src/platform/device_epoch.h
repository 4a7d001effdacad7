// The epoch the handset's file system counts modification times from: 6 January 1980
// 00:00:00 local time, standard time (no daylight saving at the epoch).
#pragma once

#include <ctime>

// The epoch's calendar time in the current time zone, or -1 when it cannot be represented.
// Recomputed on every call, so it follows a change of time zone.
std::time_t ComputeDeviceEpoch();
