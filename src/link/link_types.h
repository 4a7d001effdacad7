// The small value types of the diagnostic link: what a command is, how it travels, which port
// setting it needs, and what the link believes about the handset.
#pragma once

#include <cstdint>

enum CommandType : int32_t {
    cmdTypeDiag = 1,           // ordinary request; only while the phone is Ready
    cmdTypeProbe = 8,          // detection probe; any status, queued first, 3 attempts
    cmdTypeStatus = 9,         // a status record's kind; SendSync refuses it
    cmdTypeStreamPacket = 10,  // an unsolicited stream-download packet's kind; SendSync refuses it
};

enum PayloadEncoding : int32_t {
    encFramed = 0,  // HDLC-style frame
    encRaw = 1,     // bytes written as they are (the modem command)
};

enum LinkKind : int32_t {
    linkNone = 0,
    linkModemLow = 1,   // raw modem text at 19200
    linkModemHigh = 2,  // raw modem text at 115200
    linkDiagLow = 4,    // framed diagnostic traffic; probes at 38400
    linkDiagHigh = 5,   // framed diagnostic traffic; probes at 115200
    linkDownload = 6,
    linkStreamDownload = 7,
};

enum PhoneStatus : int32_t {
    phoneStatusNone = 0,
    phoneStatusReady = 5,
};

enum PhoneMode : int32_t {
    modeNone = 0,
    modeDownload = 2,
    modeDiagnostic = 3,
    modeDiagnosticOffline = 4,
    modeStreamDownload = 6,
};

constexpr uint32_t baudModemLow = 19200;
constexpr uint32_t baudDiagLow = 38400;
constexpr uint32_t baudHigh = 115200;

// DM command code of the status request that detection sends as its probe.
constexpr uint8_t statusProbeCode = 0x0C;

constexpr bool IsDiagKind(int32_t kind) { return kind == linkDiagLow || kind == linkDiagHigh; }
constexpr bool IsDownloadKind(int32_t kind)
{
    return kind == linkDownload || kind == linkStreamDownload;
}
constexpr bool IsModemKind(int32_t kind) { return kind == linkModemLow || kind == linkModemHigh; }
constexpr bool IsKnownKind(int32_t kind)
{
    return IsDiagKind(kind) || IsDownloadKind(kind) || IsModemKind(kind);
}
