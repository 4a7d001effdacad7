// File times on the device count seconds from 6 January 1980 00:00:00 local time (standard
// time: no daylight saving at the epoch).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/device_epoch.h"

// ComputeDeviceEpoch's value, computed once on first use and cached for the process.
std::time_t DeviceEpoch();

// The calendar time of a device time, given the epoch to count from.
std::time_t DeviceTimeToCalendar(std::uint32_t deviceSeconds, std::time_t epoch);

// The local date and time of a device time, formatted "%x, %X" (the locale's date, a comma and
// a blank, the locale's time); empty when the time cannot be broken down.
std::string FormatDeviceTime(std::uint32_t deviceSeconds, std::time_t epoch = DeviceEpoch());
