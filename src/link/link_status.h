// Result codes of the diagnostic link, in the 32-bit result-code style: 0 is success and every
// failure is negative.
#pragma once

#include <cstdint>

using LinkStatus = int32_t;

constexpr LinkStatus LinkCode(uint32_t bits) { return static_cast<LinkStatus>(bits); }

constexpr LinkStatus linkStatusOk = 0;
constexpr LinkStatus linkStatusFail = LinkCode(0x80004005u);
constexpr LinkStatus linkStatusNullPointer = LinkCode(0x80004003u);
constexpr LinkStatus linkStatusIncompleteFrame = LinkCode(0x80042002u);
constexpr LinkStatus linkStatusBadCrc = LinkCode(0x80042003u);
constexpr LinkStatus linkStatusShortWrite = LinkCode(0x80042004u);
constexpr LinkStatus linkStatusTimeout = LinkCode(0x80042005u);
constexpr LinkStatus linkStatusReplyTooLong = LinkCode(0x80042008u);
constexpr LinkStatus linkStatusPhoneNotReady = LinkCode(0x8004200Au);
