// Finding the handset: which probes go out at which rate, and what the link makes of the answers.
#include <gtest/gtest.h>

#include <optional>

#include "link_kit.h"

namespace {

// A request as "<first byte>@<baud>", the modem command with its rate, or "hello@<baud>" for
// the stream-download hello.
std::string Describe(const sim::SimRequestRecord& request)
{
    const std::string text(request.payload.begin(), request.payload.end());
    std::string what = !request.framed ? text.substr(std::min(text.find("AT"), text.size()))
                       : request.payload.size() == 36 && request.payload[0] == 0x01 ? "hello"
                                                                                  : std::to_string(request.payload[0]);
    return what + "@" + std::to_string(request.baud);
}

std::vector<std::string> Heard(rig::CHandsetRig& handset, size_t count, bool answeredOnly)
{
    std::vector<std::string> heard;
    for (const auto& request : handset.host->RequestLog())
        if (heard.size() < count && (!answeredOnly || request.fate == sim::SimReplyFate::answered))
            heard.push_back(Describe(request));
    return heard;
}

// A scripted handset's status reply: length bytes, with the mode word at 32.
CScriptedPeer::Script Status(size_t length, uint16_t word)
{
    return [=](const Bytes& request) { return PlainHandset(request, word, length); };
}

struct DetectCase {
    const char* name;
    rig::BehaviourChange behaviour;
    int mode;  // modeNone: never found
    uint32_t rate;
    std::vector<std::string> heard;  // the first requests answered; all those heard if never found
    CScriptedPeer::Script script;    // replies the virtual handset never gives, from this peer
    std::chrono::milliseconds readyWithin{0};  // when set: Ready this soon after the open
};

const DetectCase detectCases[] = {
    // A handset that speaks 115200 (left there by an earlier run) answers the first probe at once.
    {"BothRates", {}, modeDiagnostic, 115200, {"12@115200", "0@115200", "12@115200"}, {}, 250ms},
    {"Only38400", [](sim::SimBehaviour& b) { b.speeds = sim::SimSpeeds::only38400; }, modeDiagnostic, 38400,
     {"12@38400", "92@38400", "0@38400", "12@38400"}, {}},
    {"Only115200", [](sim::SimBehaviour& b) { b.speeds = sim::SimSpeeds::only115200; }, modeDiagnostic, 115200,
     {"12@115200", "0@115200", "12@115200"}, {}, 250ms},
    {"DataPhone", [](sim::SimBehaviour& b) { b.dataPhone = true; }, modeDiagnostic, 115200,
     {"AT$KTDMG@19200", "12@115200", "0@115200", "12@115200"}, {}},
    {"Download", [](sim::SimBehaviour& b) { b.downloadMode = sim::SimDownloadMode::download; }, modeDownload,
     115200, {"6@115200", "6@115200"}, {}},
    {"StreamDownload", [](sim::SimBehaviour& b) { b.downloadMode = sim::SimDownloadMode::streamDownload; },
     modeStreamDownload, 115200, {"hello@115200", "hello@115200"}, {}},
    // The one quick probe at 115200, then three attempts of each probe; the modem commands are no
    // frames, so this handset takes them for noise. The next poll starts at the last rate.
    {"Silent", [](sim::SimBehaviour& b) { b.silent = true; }, modeNone, 115200,
     {"12@115200", "12@38400", "12@38400", "12@38400", "12@115200", "12@115200", "12@115200", "6@115200",
      "6@115200", "6@115200", "hello@115200", "hello@115200", "hello@115200", "12@115200", "12@115200",
      "12@115200"}, {}},
    // Only a 48-byte status reply counts (so the rate never switches), and words 2 and 6 mean offline.
    {"StatusOf47Bytes", {}, modeNone, 38400, {}, Status(47, 0)},
    {"OfflineWord2", {}, modeDiagnosticOffline, 115200, {}, Status(48, 2)},
    {"OfflineWord6", {}, modeDiagnosticOffline, 115200, {}, Status(48, 6)},
    {"OnlineWord0102", {}, modeDiagnostic, 115200, {}, Status(48, 0x0102)},
};

class Detection : public ::testing::TestWithParam<DetectCase> {};

// Later polls start with the probe that found the handset: the last answered request. A
// handset never found stays so for a whole poll (four probes).
TEST_P(Detection, FindsEachKindOfHandsetAndProbesItFirstAfterwards)
{
    const DetectCase& c = GetParam();
    const bool found = c.mode != modeNone;
    rig::CHandsetRig handset;
    handset.Start(c.behaviour);
    std::optional<CScriptedPeer> peer;
    if (c.script)
        peer.emplace(c.script);
    LinkTiming timing = Quick();
    if (!found) {  // slower attempts let the handset note each rate before the next probe changes it
        timing.probeReplyMs = 300;
        timing.modemReplyMs = 150;
    }
    const auto opened = rig::Clock::now();
    const auto link = OpenLink(peer ? peer->Port() : handset.Port(), timing, found);
    if (c.readyWithin.count() > 0) {
        EXPECT_LT(rig::Clock::now() - opened, c.readyWithin);
    }
    EXPECT_TRUE(rig::WaitUntil(20s, [&] {
        return Heard(handset, c.heard.size(), found).size() == c.heard.size() &&
               (found || link->Stats().pollingPackets.load() >= 4);
    }));
    EXPECT_EQ(Heard(handset, c.heard.size(), found), c.heard);
    EXPECT_EQ(link->GetPhoneStatus(), found ? phoneStatusReady : phoneStatusNone);
    EXPECT_EQ(link->GetPhoneMode(), c.mode);
    EXPECT_EQ(link->Detection().CurrentRate(), c.rate);
}

INSTANTIATE_TEST_SUITE_P(Handsets, Detection, ::testing::ValuesIn(detectCases),
                         [](const ::testing::TestParamInfo<DetectCase>& test) { return std::string(test.param.name); });

}  // namespace
