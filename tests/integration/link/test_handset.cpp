#include "test_handset.h"

#include <algorithm>

CScriptedPeer::Handler CTestHandset::Handler()
{
    return [this](const PeerRequest& request) { return Answer(request); };
}

Bytes CTestHandset::Answer(const PeerRequest& request)
{
    if (silent.load() || request.payload.empty())
        return {};
    if (silentLeft.load() > 0) {
        --silentLeft;
        return {};
    }
    if (request.raw) {
        if (!dataPhone.load())
            return {};
        dataPhone.store(false);
        return Bytes{'\r', '\n', 'O', 'K', '\r', '\n'};
    }
    const uint8_t code = request.payload[0];
    if (downloadMode.load())
        return code == 0x06 && request.baud == 115200 ? Frame({0x02}, true) : Bytes();
    if (streamMode.load())
        return code == 0x01 && request.baud == 115200 ? Frame({0x02, 0x01}, true) : Bytes();
    if (dataPhone.load())
        return {};
    const bool rateOk = (request.baud == 38400 && speaks38400.load()) ||
                        (request.baud == 115200 && speaks115200.load());
    if (!rateOk || request.openingFlag)
        return {};
    switch (code) {
    case 0x0C: {
        Bytes reply(std::max<size_t>(statusLength.load(), 1), 0);
        reply.front() = 0x0C;
        if (reply.size() >= 34) {
            reply[32] = static_cast<uint8_t>(modeWord.load() & 0xFF);
            reply[33] = static_cast<uint8_t>(modeWord.load() >> 8);
        }
        return Frame(reply);
    }
    case 0x5C:
        // After acknowledging, the handset speaks 115200 only.
        speaks38400.store(false);
        speaks115200.store(true);
        return Frame({0x5C, 0x01, 0x01});
    case 0x00:
        return Frame({0x00, 'T', 'E', 'S', 'T'});
    case 0x29:
        if (refuseModeChanges.load())
            return Frame({0x13, 0x29});
        if (ignoreModeChanges.load())
            return Frame({0x29, request.payload.size() >= 2 ? request.payload[1] : uint8_t{0}, 0x00});
        if (request.payload.size() >= 2 && request.payload[1] == 1)
            modeWord.store(2);
        if (request.payload.size() >= 2 && request.payload[1] == 2) {
            modeWord.store(0);
            silentLeft.store(resetSilentRequests.load());
        }
        return Frame({0x29, request.payload.size() >= 2 ? request.payload[1] : uint8_t{0}, 0x00});
    default:
        return Frame(request.payload);  // echo
    }
}
