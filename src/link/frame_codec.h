// HDLC-style framing of DM packets: payload, CRC-16/X-25 (low byte first), 0x7E/0x7D escaping
// and a closing 0x7E flag. Pure functions, safe on any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/link_status.h"

constexpr uint8_t frameFlag = 0x7E;
constexpr uint8_t frameEscape = 0x7D;
constexpr uint8_t frameEscapeXor = 0x20;

// Frames are built in a work area of this size, which bounds the payload.
constexpr size_t frameWorkAreaSize = 4096;
constexpr size_t frameMaxPayload = 2046;  // worst case 2 * (2046 + 2) + 2 == 4096 bytes

// Residue of Crc16 over a payload followed by its own (correct) check sequence.
constexpr uint16_t crc16GoodResidue = 0x0F47;

uint16_t Crc16(const uint8_t* bytes, long length);

// Writes the frame of payload[0..length) into output, which must hold frameWorkAreaSize bytes,
// and returns the frame length. A payload longer than frameMaxPayload writes nothing and
// returns 0; callers keep to the limit.
size_t EncodeFrame(const uint8_t* payload, size_t length, uint8_t* output, bool noOpeningFlag);

// Unframes buffer[0..length) in place. On success the payload starts at buffer[0] and length is
// the payload length. Fails with linkStatusIncompleteFrame when the frame has no closing flag,
// fewer than two body bytes, an empty payload or a dangling escape; with linkStatusBadCrc when
// the check sequence does not match. On failure length is unchanged.
LinkStatus DecodeFrame(uint8_t* buffer, size_t& length);
