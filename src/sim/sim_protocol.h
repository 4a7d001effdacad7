// Command codes, EFS subcommands and EFS status bytes that the virtual handset speaks, and the
// little-endian field helpers its replies are built with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// DM command codes (first payload byte of a request and of its reply).
constexpr uint8_t dmBasicInfo = 0x00;
constexpr uint8_t dmStatus = 0x0C;
constexpr uint8_t dmModeChange = 0x29;
constexpr uint8_t dmEfs = 0x59;
constexpr uint8_t dmRateSwitch = 0x5C;

// Error replies: the code followed by the request that caused it.
constexpr uint8_t dmBadCommand = 0x13;
constexpr uint8_t dmBadParameters = 0x14;
constexpr uint8_t dmBadLength = 0x15;

// Download protocols: the probe and the stream hello, and the acknowledgement both expect.
constexpr uint8_t downloadProbe = 0x06;
constexpr uint8_t streamHello = 0x01;
constexpr uint8_t downloadAck = 0x02;
constexpr char streamHelloMagic[] = "ZELK fast download protocol host";
constexpr size_t streamHelloLength = 36;

// Mode-change values and the mode words the status reply carries at offset 32.
constexpr uint16_t modeChangeOffline = 1;
constexpr uint16_t modeChangeReset = 2;
constexpr uint16_t modeWordOnline = 0;
constexpr uint16_t modeWordOffline = 2;
constexpr size_t statusReplyLength = 48;
constexpr size_t statusModeWordOffset = 32;

// EFS subcommands.
constexpr uint8_t efsMkDir = 0;
constexpr uint8_t efsRmDir = 1;
constexpr uint8_t efsListDirs = 2;
constexpr uint8_t efsListFiles = 3;
constexpr uint8_t efsReadFile = 4;
constexpr uint8_t efsWriteFile = 5;
constexpr uint8_t efsRemoveFile = 6;
constexpr uint8_t efsGetAttributes = 7;
constexpr uint8_t efsIterateDirs = 10;
constexpr uint8_t efsIterateFiles = 11;
constexpr uint8_t efsSpace = 12;

// EFS status bytes (byte 2 of every EFS reply).
using EfsStatusCode = uint8_t;
constexpr EfsStatusCode efsStatusOk = 0;
constexpr EfsStatusCode efsStatusDeviceFailure = 1;
constexpr EfsStatusCode efsStatusFileNotOpen = 3;
constexpr EfsStatusCode efsStatusFileExists = 5;
constexpr EfsStatusCode efsStatusFileMissing = 6;
constexpr EfsStatusCode efsStatusDirExists = 7;
constexpr EfsStatusCode efsStatusDirMissing = 8;
constexpr EfsStatusCode efsStatusDirNotEmpty = 9;
constexpr EfsStatusCode efsStatusUnknownOperation = 10;
constexpr EfsStatusCode efsStatusIllegalOperation = 11;
constexpr EfsStatusCode efsStatusParameterError = 12;
constexpr EfsStatusCode efsStatusBadFileName = 13;
constexpr EfsStatusCode efsStatusEndOfFile = 19;
constexpr EfsStatusCode efsStatusMoreRecords = 20;
constexpr EfsStatusCode efsStatusOutOfSpace = 22;
constexpr EfsStatusCode efsStatusEnumerationDone = 28;

// Data bytes per read or write block.
constexpr size_t efsBlockSize = 256;

// Largest payload a reply may have (the frame codec's limit).
constexpr size_t maxReplyPayload = 2046;

inline void PutLe16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

inline void PutLe32(std::vector<uint8_t>& out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

// Callers check that offset + 2 (or + 4) bytes lie within the packet.
// An error reply: code followed by the request that caused it (cut to fit one packet).
inline std::vector<uint8_t> DmErrorReply(uint8_t code, const std::vector<uint8_t>& request)
{
    const size_t echoed = request.size() < maxReplyPayload ? request.size() : maxReplyPayload - 1;
    std::vector<uint8_t> reply(1 + echoed);
    reply[0] = code;
    for (size_t i = 0; i < echoed; ++i)
        reply[1 + i] = request[i];
    return reply;
}

inline uint16_t GetLe16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t GetLe32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(GetLe16(bytes)) | (static_cast<uint32_t>(GetLe16(bytes + 2)) << 16);
}

}  // namespace sim
