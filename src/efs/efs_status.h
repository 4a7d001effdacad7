// Texts of the one-byte EFS status codes 0 to 29.
#pragma once

#include <cstdint>

constexpr int efsStatusTextCount = 30;

// Text of a status code, or nullptr for a code outside the table.
const char* EfsStatusText(uint8_t status);
