// The application message table: the fixed English texts every layer reports by code.
#pragma once

using AppMessage = int;

constexpr int appMessageCount = 93;  // codes 0 to 92

// Text of one entry, or nullptr for a code outside the table. Code 73 is reserved: empty text.
const char* AppMessageText(AppMessage code);

// Codes referred to by name in more than one place.
enum : AppMessage {
    msgSuccess = 0,
    msgMemoryFailure = 5,
    msgNullArgument = 9,
    msgInvalidArgument = 10,
    msgInvalidPortHandle = 11,
};
