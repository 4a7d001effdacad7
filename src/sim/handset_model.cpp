#include "sim/handset_model.h"

#include <algorithm>
#include <cstring>

namespace sim {

namespace {

constexpr uint32_t baudLow = 38400;
constexpr uint32_t baudHigh = 115200;

SimPacket Framed(std::vector<uint8_t> bytes, bool openingFlag = false)
{
    return SimPacket{std::move(bytes), true, openingFlag};
}

SimPacket Text(const std::string& text)
{
    return SimPacket{std::vector<uint8_t>(text.begin(), text.end()), false, false};
}

// The basic information reply: identification strings the product does not interpret.
std::vector<uint8_t> BasicInfo()
{
    std::vector<uint8_t> reply{dmBasicInfo};
    const char* fields[] = {"Jan 06 1980", "00:00:00", "Jan 06 1980", "00:00:00", "VIRTUAL1"};
    for (const char* field : fields)
        reply.insert(reply.end(), field, field + std::strlen(field));
    reply.resize(48, 0);
    return reply;
}

}  // namespace

CHandsetModel::CHandsetModel(std::unique_ptr<CSimFileSystem> fs, SimBehaviour initial)
    : fileSystem(std::move(fs)), behaviour(std::move(initial)), efs(*fileSystem)
{
}

bool CHandsetModel::Speaks(uint32_t baud) const
{
    switch (behaviour.speeds) {
    case SimSpeeds::only38400:
        return baud == baudLow;
    case SimSpeeds::only115200:
        return baud == baudHigh;
    case SimSpeeds::both:
        return switchedTo115200 ? baud == baudHigh : (baud == baudLow || baud == baudHigh);
    }
    return false;
}

bool CHandsetModel::Absent(SimClock::time_point now)
{
    if (!absentUntil)
        return false;
    if (now < *absentUntil)
        return true;
    // Back from the reset: online, at the starting rate, with no file open.
    absentUntil.reset();
    efs.Reset();
    modeWord = modeWordOnline;
    switchedTo115200 = false;
    return false;
}

std::vector<SimPacket> CHandsetModel::HandleFrame(const std::vector<uint8_t>& payload, uint32_t baud,
                                                  SimClock::time_point now)
{
    if (payload.empty() || Absent(now))
        return {};
    if (behaviour.downloadMode != SimDownloadMode::none)
        return Download(payload, baud);
    if (behaviour.dataPhone || !Speaks(baud))
        return {};

    switch (payload[0]) {
    case dmStatus:
        return {Framed(payload.size() == 1 ? Status() : DmErrorReply(dmBadLength, payload))};
    case dmBasicInfo:
        return {Framed(payload.size() == 1 ? BasicInfo() : DmErrorReply(dmBadLength, payload))};
    case dmRateSwitch:
        return {Framed(RateSwitch(payload))};
    case dmModeChange:
        return {Framed(ModeChange(payload, now))};
    case dmEfs:
        if (behaviour.noEfs)
            return {Framed(DmErrorReply(dmBadCommand, payload))};
        return {Framed(efs.Handle(payload, behaviour))};
    default:
        return {Framed(DmErrorReply(dmBadCommand, payload))};
    }
}

std::vector<SimPacket> CHandsetModel::Download(const std::vector<uint8_t>& payload, uint32_t baud) const
{
    // The download protocols run at 115200 only.
    if (baud != baudHigh)
        return {};
    if (behaviour.downloadMode == SimDownloadMode::download && payload.size() == 1 && payload[0] == downloadProbe)
        return {Framed({downloadAck}, true)};
    if (behaviour.downloadMode == SimDownloadMode::streamDownload && payload.size() == streamHelloLength &&
        payload[0] == streamHello && std::memcmp(payload.data() + 1, streamHelloMagic, 32) == 0)
        return {Framed({downloadAck, 0x02, 0x01}, true)};
    return {};
}

std::vector<uint8_t> CHandsetModel::Status() const
{
    std::vector<uint8_t> reply(statusReplyLength, 0);
    reply[0] = dmStatus;
    reply[statusModeWordOffset] = static_cast<uint8_t>(modeWord & 0xFF);
    reply[statusModeWordOffset + 1] = static_cast<uint8_t>(modeWord >> 8);
    return reply;
}

std::vector<uint8_t> CHandsetModel::RateSwitch(const std::vector<uint8_t>& request)
{
    if (request.size() != 6)
        return DmErrorReply(dmBadLength, request);
    const uint32_t rate = GetLe32(request.data() + 2);
    bool accepted = false;
    if (rate == baudHigh && behaviour.speeds != SimSpeeds::only38400) {
        switchedTo115200 = behaviour.speeds == SimSpeeds::both;
        accepted = true;
    } else if (rate == baudLow && behaviour.speeds != SimSpeeds::only115200) {
        switchedTo115200 = false;
        accepted = true;
    }
    std::vector<uint8_t> reply{dmRateSwitch, request[1], accepted ? uint8_t{1} : uint8_t{0}};
    PutLe32(reply, rate);
    return reply;
}

std::vector<uint8_t> CHandsetModel::ModeChange(const std::vector<uint8_t>& request, SimClock::time_point now)
{
    if (request.size() != 3)
        return DmErrorReply(dmBadLength, request);
    const uint16_t value = GetLe16(request.data() + 1);
    if (behaviour.refuseModeChange)
        return DmErrorReply(dmBadCommand, request);
    if (value == modeChangeOffline)
        modeWord = modeWordOffline;
    else if (value == modeChangeReset)
        absentUntil = now + behaviour.resetAbsence;  // the reply still goes out first
    else
        return DmErrorReply(dmBadParameters, request);
    return request;
}

std::vector<SimPacket> CHandsetModel::HandleModemLine(const std::string& line)
{
    if (!behaviour.dataPhone)
        return {};
    // Bytes of ignored frames may precede the command on the same line.
    const size_t at = line.rfind("AT");
    if (at == std::string::npos)
        return {};
    const std::string command = line.substr(at);
    if (command == "AT$KTDMG") {
        behaviour.dataPhone = false;
        return {Text("\r\nOK\r\n")};
    }
    if (command == "AT")
        return {Text("\r\nOK\r\n")};
    return {Text("\r\nERROR\r\n")};
}

}  // namespace sim
