// The several-port console against virtual handsets on pseudo-terminals, the program run as a
// user runs it: an unplug half-way, a Ctrl-C half-way, JSON Lines for scripts, and ports served
// as they appear in a watched folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "report/app_messages.h"
#include "support/handset_rig.h"
#include "support/json_line.h"
#include "support/process_runner.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr size_t moduleSize = 60000;

// A module on the PC (below the rig's PC folder of the first handset) with the files a load needs.
fs::path MakeModule(rig::CHandsetRig& pc)
{
    for (const char* name : {"chess.mif", "chess.sig", "chess.bar"})
        pc.PutPcFile(std::string("chess/") + name, rig::Pattern(40, 3));
    pc.PutPcFile("chess/chess.mod", rig::Pattern(moduleSize, 9));
    return pc.Pc() / "chess";
}

// Handsets that keep their files in a folder and write them block by block at the line's pace,
// so a test can see how far a load has come.
std::vector<std::unique_ptr<rig::CHandsetRig>> Bench(size_t count)
{
    std::vector<std::unique_ptr<rig::CHandsetRig>> handsets;
    for (size_t i = 0; i < count; ++i) {
        handsets.push_back(std::make_unique<rig::CHandsetRig>(rig::DeviceStore::folder));
        handsets.back()->Start([](sim::SimBehaviour& b) { b.throttle = true, b.writesInPlace = true; });
    }
    return handsets;
}

std::string PortList(const std::vector<std::unique_ptr<rig::CHandsetRig>>& handsets)
{
    std::string list;
    for (const auto& handset : handsets)
        list += (list.empty() ? "" : ",") + handset->Port();
    return list;
}

uint64_t DeviceModuleBytes(rig::CHandsetRig& handset)
{
    std::error_code error;
    const auto size = fs::file_size(handset.Device() / "chess" / "chess.mod", error);
    return error ? 0 : size;
}

// A loaded module: its information file at the root, the rest in its folder.
bool LoadedExactly(rig::CHandsetRig& handset, const fs::path& module)
{
    if (rig::ReadPcFile(handset.Device() / "chess.mif") != rig::ReadPcFile(module / "chess.mif"))
        return false;
    for (const char* name : {"chess.sig", "chess.bar", "chess.mod"})
        if (rig::ReadPcFile(handset.Device() / "chess" / name) != rig::ReadPcFile(module / name))
            return false;
    return true;
}

bool Untouched(rig::CHandsetRig& handset)
{
    return fs::is_empty(handset.Device());
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(FleetProcess, AnUnpluggedHandsetFailsOnItsOwnRowAndTheRetryNamesItAlone)
{
    auto handsets = Bench(4);
    const fs::path module = MakeModule(*handsets[0]);
    CRunningProcess run(VANTFERRANT_EXE, {PortList(handsets), "-l", module.string(), "chess"});
    rig::CHandsetRig& pulled = *handsets[2];
    const std::string pulledPort = pulled.Port();
    ASSERT_TRUE(rig::WaitUntil(60s, [&] { return DeviceModuleBytes(pulled) >= moduleSize / 2; }));
    pulled.Unplug();
    const ProcessResult result = run.Wait();

    EXPECT_EQ(result.exitStatus, 1) << result.output;
    for (size_t i : {0u, 1u, 3u})
        EXPECT_TRUE(LoadedExactly(*handsets[i], module)) << "handset " << i;
    // Its own lines say why; the summary gives its row a failure; the retry names it alone.
    bool rowFailed = false;
    bool ownMessage = false;
    std::string retry;
    for (const std::string& line : Lines(result.output)) {
        if (line.rfind("[" + pulledPort + "] Error", 0) == 0)
            ownMessage = true;
        if (line.rfind(pulledPort + " ", 0) == 0 && line.find("Error - ") != std::string::npos)
            rowFailed = true;
        if (line.rfind("  VANTFerrant ", 0) == 0)
            retry = line;
    }
    EXPECT_TRUE(ownMessage) << result.output;
    EXPECT_TRUE(rowFailed) << result.output;
    EXPECT_EQ(retry, "  VANTFerrant " + pulledPort + " -l " + module.string() + " chess") << result.output;
    EXPECT_NE(result.output.find("Success 3, Failure 1"), std::string::npos) << result.output;
}

TEST(FleetProcess, ControlCHalfWayRollsEveryHandsetBack)
{
    auto handsets = Bench(4);
    const fs::path module = MakeModule(*handsets[0]);
    CRunningProcess run(VANTFERRANT_EXE, {PortList(handsets), "-l", module.string(), "chess"});
    ASSERT_TRUE(rig::WaitUntil(60s, [&] {
        for (const auto& handset : handsets)
            if (DeviceModuleBytes(*handset) < moduleSize / 3)
                return false;
        return true;
    }));
    run.Signal(SIGINT);
    const ProcessResult result = run.Wait();
    EXPECT_EQ(result.exitStatus, 130) << result.output;
    for (const auto& handset : handsets)
        EXPECT_TRUE(Untouched(*handset)) << handset->Port() << "\n" << result.output;
}

TEST(FleetProcess, JsonLinesGiveEveryLoadsEventsInOrderWithTheConsolesTexts)
{
    auto handsets = Bench(2);
    const fs::path module = MakeModule(*handsets[0]);
    const ProcessResult result =
        RunProcess(VANTFERRANT_EXE, {"--json", PortList(handsets), "-l", module.string(), "chess"});
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    std::map<std::string, std::vector<std::string>> events;  // port -> event names in order
    std::map<std::string, std::string> resultText;
    for (const std::string& line : Lines(result.output)) {
        const auto object = rig::ParseJsonObject(line);
        ASSERT_TRUE(object.has_value()) << "not a JSON object: " << line;
        EXPECT_EQ(object->at("v"), "1");
        const std::string port = object->at("port");
        const std::string event = object->at("event");
        if (events[port].empty() || events[port].back() != event)
            events[port].push_back(event);  // repeated progress events count once
        if (event == "result")
            resultText[port] = object->at("text");
    }
    ASSERT_EQ(events.size(), 2u) << result.output;
    for (const auto& [port, names] : events) {
        EXPECT_EQ(names.front(), "connecting") << port;
        EXPECT_EQ(names[1], "connected") << port;
        EXPECT_EQ(names.back(), "result") << port;
        const auto firstProgress = std::find(names.begin(), names.end(), "progress");
        const auto lastFile = std::find(names.rbegin(), names.rend(), "file");
        EXPECT_NE(firstProgress, names.end()) << port;
        EXPECT_NE(lastFile, names.rend()) << port;
        EXPECT_EQ(resultText[port], AppMessageText(msgModuleLoaded)) << port;
    }
    // The same load on one port, as the console prints it, shows the same text.
    rig::CHandsetRig single;
    const ProcessResult console = RunProcess(VANTFERRANT_EXE, {single.Port(), "-l", module.string(), "chess"});
    EXPECT_NE(console.output.find(std::string("\n\n") + AppMessageText(msgModuleLoaded) + "\n"),
              std::string::npos)
        << console.output;
}

TEST(FleetProcess, AWatchedFolderServesEachHandsetOncePerAppearance)
{
    rig::CScratch links;
    rig::CHandsetRig answering;
    rig::CHandsetRig silent;
    answering.PutDeviceFile("/chess.mif", rig::Pattern(40));  // a module to list
    answering.PutDeviceFile("/chess/chess.mod", rig::Pattern(400));
    silent.Start([](sim::SimBehaviour& b) { b.silent = true; });
    CRunningProcess run(VANTFERRANT_EXE, {"--json", "--watch", links.Path().string(), "-v"});
    std::this_thread::sleep_for(300ms);  // the watch starts (an empty folder shows nothing either way)

    const fs::path link = links.Path() / "usb-handset-a";
    auto servedWithin = [&](std::chrono::milliseconds limit) {
        const size_t heard = answering.LogSize();
        fs::create_symlink(answering.Port(), link);
        return rig::WaitUntil(limit, [&] { return answering.LogSize() > heard; });
    };
    EXPECT_TRUE(servedWithin(1s));
    // Done with, unplugged and plugged in again: served again.
    std::this_thread::sleep_for(2s);
    fs::remove(link);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(servedWithin(1s));
    std::this_thread::sleep_for(2s);
    fs::create_symlink(silent.Port(), links.Path() / "usb-handset-silent");
    // The silent handset's connect gives up after its whole wait; then Ctrl-C ends the watch.
    std::this_thread::sleep_for(16s);
    run.Signal(SIGINT);
    const ProcessResult result = run.Wait();
    EXPECT_EQ(result.exitStatus, 130) << result.output;

    std::map<std::string, std::vector<std::string>> results;  // port -> ok of each result
    for (const std::string& line : Lines(result.output)) {
        const auto object = rig::ParseJsonObject(line);
        ASSERT_TRUE(object.has_value()) << line;
        if (object->at("event") == "result")
            results[object->at("port")].push_back(object->at("ok"));
    }
    EXPECT_EQ(results[link.string()], (std::vector<std::string>{"true", "true"})) << result.output;
    EXPECT_EQ(results[(links.Path() / "usb-handset-silent").string()], std::vector<std::string>{"false"})
        << result.output;
}

}  // namespace
