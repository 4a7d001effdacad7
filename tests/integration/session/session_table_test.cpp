// The window's device commands run through the device session against the virtual handset, one
// row each: what the device holds afterwards and every message and question shown.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "efs/efs_paths.h"
#include "modules/transfer_progress.h"
#include "platform/busy_hook.h"
#include "platform/stop_request.h"
#include "report/reporter.h"
#include "session/device_session.h"
#include "session/drop_placement.h"
#include "session/node_paths.h"
#include "session/size_modes.h"
#include "support/handset_rig.h"

namespace {

using Texts = std::vector<std::string>;
using Files = std::map<std::string, std::string>;

std::string Text(AppMessage code, const std::string& path = {})
{
    const std::string text = AppMessageText(code);
    return path.empty() ? text : text + ":\n" + path;
}

const CDeviceFolder top{"", true, ""};
const CDeviceFolder sub{"sub/", false, ""};
const CListRow innerRow{"inner", ItemKind::directory};
const CListRow aRow{"a.txt", ItemKind::file};
// The first reply to a make-directory request is lost on the line.
const sim::SimChosenReply lostMakeDir{{0x59, 0}, {}, 1, sim::SimReplyFault::lose};

struct CSessionRig {
    rig::CHandsetRig handset;
    rig::CReportCapture reports;
    CDeviceSession session;
    Texts waits;

    std::string Pc(const std::string& relative, const std::string& content = "p")
    {
        return handset.PutPcFile(relative, rig::ToBytes(content)).string();
    }
    std::string Folder(const std::string& relative) { return (handset.Pc() / relative).string(); }
    // A whole module folder on the PC: name.mif, .mod, .sig and .bar.
    std::string Module(const std::string& name)
    {
        Pc(name + "/" + name + ".mif", "info");
        Pc(name + "/" + name + ".mod", "code");
        Pc(name + "/" + name + ".sig", "sig");
        Pc(name + "/" + name + ".bar", "bar");
        return Folder(name);
    }
    // A drop on the list as the window makes it: the session names the target, then copies.
    void DropOnList(const std::vector<std::string>& pcPaths, const CDeviceFolder& selected,
                    const std::vector<CListRow>& rows)
    {
        if (const std::optional<CDeviceFolder> target = session.ListDropTarget(selected, rows))
            session.Drop(pcPaths, *target);
    }
};

// A folder of two files dropped on sub; the handset refuses the second.
void DropFolderWhoseSecondFileFails(CSessionRig& r)
{
    r.handset.Change([](sim::SimBehaviour& b) { b.failingPaths = {"/sub/fresh/b.txt"}; });
    r.Pc("fresh/a.txt");
    r.Pc("fresh/b.txt");
    r.session.Drop({r.Folder("fresh")}, sub);
}

// A folder of two files dropped on sub; the user stops the copy once its first file is on the
// device.
void DropFolderStoppedAfterItsFirstFile(CSessionRig& r)
{
    r.Pc("fresh/a.txt");
    r.Pc("fresh/b.txt");
    SetTransferProgressHandler([](const std::string&, uint64_t done, uint64_t total) {
        if (done == total)
            RequestStop();
    });
    r.session.Drop({r.Folder("fresh")}, sub);
    SetTransferProgressHandler({});
}

struct SessionRow {
    const char* name;
    std::function<void(CSessionRig&)> act;
    Files present;                  // device path -> content ("" for a directory)
    std::vector<std::string> gone;  // device paths that must not exist
    Texts messages;                 // every message box, in order
    Texts questions = {};           // every question, in order (answered yes unless no is queued)
    std::vector<bool> answers = {};
    Texts waits = {};               // every wait window's text, in order, when given
};

void PrintTo(const SessionRow& row, std::ostream* out)
{
    *out << row.name;
}

class SessionTable : public ::testing::TestWithParam<SessionRow> {};

TEST_P(SessionTable, DeviceAndMessagesAfterTheCommand)
{
    const SessionRow& row = GetParam();
    CSessionRig r;
    // The phone's settings give the device a used figure, so statistics are on. Module a pairs
    // a.mif with folder a.
    r.handset.PutDeviceFile("nv/phone.cfg", rig::ToBytes(std::string(512, 'c')));
    for (const char* name : {"sub/a.txt", "sub/b.txt", "sub/inner/i.txt"})
        r.handset.PutDeviceFile(name, rig::ToBytes("x"));
    r.handset.PutDeviceFile("a.mif", rig::ToBytes("m"));
    r.handset.PutDeviceFile("a/a.mod", rig::ToBytes("d"));
    ASSERT_EQ(r.session.Connect(r.handset.Port(), rig::FastTiming()), msgSuccess);
    ASSERT_TRUE(EfsStatsAvailable);
    r.session.SetWaitShower([&r](AppMessage text, SessionWait) {
        r.waits.push_back(AppMessageText(text));
        return std::shared_ptr<void>();
    });
    r.reports.answers.assign(row.answers.begin(), row.answers.end());

    row.act(r);
    ClearStopRequest();

    for (const auto& [path, content] : row.present) {
        if (content.empty())
            EXPECT_TRUE(r.handset.DeviceEntryExists(path)) << path;
        else
            EXPECT_EQ(r.handset.DeviceFile(path), rig::ToBytes(content)) << path;
    }
    for (const std::string& path : row.gone)
        EXPECT_FALSE(r.handset.DeviceEntryExists(path)) << path;
    EXPECT_EQ(r.reports.texts, row.messages);
    EXPECT_EQ(r.reports.questions, row.questions);
    if (!row.waits.empty()) {
        EXPECT_EQ(r.waits, row.waits);
    }
}

const std::string deleteTwo = "Are you sure you want to delete these 2 item(s)?";

INSTANTIATE_TEST_SUITE_P(
    Commands, SessionTable,
    ::testing::Values(
        // --- Drops on a tree node ---
        SessionRow{"FileOnNode",
                   [](CSessionRig& r) { r.session.Drop({r.Pc("readme.txt", "read")}, sub); },
                   {{"sub/readme.txt", "read"}}, {}, {}, {}, {}, {Text(msgCopyingFiles)}},
        SessionRow{"ManyFilesOnNodeAndRefusedOnesReported",
                   [](CSessionRig& r) {
                       r.session.Drop({r.Pc("one.txt", "1"), r.Pc("Game.MIF"), r.Pc("two.txt", "2")},
                                      sub);
                   },
                   {{"sub/one.txt", "1"}, {"sub/two.txt", "2"}}, {"sub/Game.MIF"},
                   {Text(msgMifOnlyAtRoot)}},
        SessionRow{"PlainFileAtTopRefused",
                   [](CSessionRig& r) { r.session.Drop({r.Pc("readme.txt")}, top); }, {},
                   {"readme.txt"}, {Text(msgOnlyMifAtRoot)}},
        SessionRow{"MifFileAtTop", [](CSessionRig& r) { r.session.Drop({r.Pc("z.mif", "zz")}, top); },
                   {{"z.mif", "zz"}}, {}, {}},
        SessionRow{"FolderOnNode",
                   [](CSessionRig& r) {
                       r.Pc("plain/deep/p.txt", "pp");
                       r.session.Drop({r.Folder("plain")}, sub);
                   },
                   {{"sub/plain/deep/p.txt", "pp"}}, {}, {}},
        SessionRow{"ModuleFolderAtTopLoads",
                   [](CSessionRig& r) { r.session.Drop({r.Module("chess")}, top); },
                   {{"chess.mif", "info"}, {"chess/chess.mod", "code"}}, {}, {}},
        SessionRow{"ModuleFolderBelowTopRefused",
                   [](CSessionRig& r) { r.session.Drop({r.Module("chess")}, sub); }, {},
                   {"sub/chess", "chess.mif"}, {Text(msgModulesOnlyAtRoot)}},
        SessionRow{"FailedFolderCopyRemovesTheFolderItMade",
                   DropFolderWhoseSecondFileFails,
                   {}, {"sub/fresh"},
                   {Text(msgCannotCopyFile, "/sub/fresh/b.txt"), Text(msgCannotCopyDirectory, "sub/fresh")},
                   {}, {}, {Text(msgCopyingFiles), Text(msgHousekeeping)}},
        // A folder that was there before the drop is the user's: a failed copy into it removes
        // nothing, even when the reply saying it exists was lost and the request sent again.
        SessionRow{"FailedFolderCopyKeepsAFolderThatWasThere",
                   [](CSessionRig& r) {
                       r.Pc("inner/new.txt");
                       r.session.Drop({r.Folder("inner")}, sub);
                   },
                   {{"sub/inner/i.txt", "x"}}, {"sub/inner/new.txt"},
                   {Text(msgCannotCopyDirectory, "sub/inner")}},
        SessionRow{"LostMakeDirReplyForAFolderThatWasThere",
                   [](CSessionRig& r) {
                       r.handset.Change([](sim::SimBehaviour& b) { b.chosenReplies = {lostMakeDir}; });
                       r.Pc("inner/new.txt");
                       r.session.Drop({r.Folder("inner")}, sub);
                   },
                   {{"sub/inner/i.txt", "x"}}, {"sub/inner/new.txt"},
                   {Text(msgCannotCopyDirectory, "sub/inner")}},
        SessionRow{"LostMakeDirReplyForANewFolder",
                   [](CSessionRig& r) {
                       r.handset.Change([](sim::SimBehaviour& b) { b.chosenReplies = {lostMakeDir}; });
                       r.Pc("fresh/new.txt", "n");
                       r.session.Drop({r.Folder("fresh")}, sub);
                   },
                   {{"sub/fresh/new.txt", "n"}}, {}, {}},
        SessionRow{"FailedFileDropReportedOnce",
                   [](CSessionRig& r) {
                       r.handset.Change([](sim::SimBehaviour& b) { b.failingPaths = {"/sub/new.txt"}; });
                       r.session.Drop({r.Pc("new.txt")}, sub);
                   },
                   {}, {"sub/new.txt"}, {Text(msgCannotCopyFile, "/sub/new.txt")}},
        // The module is named after its whole information file name, dots and all.
        SessionRow{"DottedModuleFolderAtTopLoads",
                   [](CSessionRig& r) { r.session.Drop({r.Module("chess.v2")}, top); },
                   {{"chess.v2.mif", "info"}, {"chess.v2/chess.v2.mod", "code"}}, {"chess"}, {}},
        SessionRow{"StoppedFolderDropRemovesTheWholeFolderItMade",
                   DropFolderStoppedAfterItsFirstFile,
                   {}, {"sub/fresh"}, {Text(msgCopyToDeviceStopped)}, {}, {},
                   {Text(msgCopyingFiles), Text(msgHousekeeping)}},
        // --- Drops on the list ---
        SessionRow{"OnTheListWithNoRowIntoTheSelectedNode",
                   [](CSessionRig& r) { r.DropOnList({r.Pc("n.txt", "n")}, sub, {}); },
                   {{"sub/n.txt", "n"}}, {}, {}},
        SessionRow{"OnOneDirectoryRowIntoThatDirectory",
                   [](CSessionRig& r) { r.DropOnList({r.Pc("n.txt", "n")}, sub, {innerRow}); },
                   {{"sub/inner/n.txt", "n"}}, {"sub/n.txt"}, {}},
        SessionRow{"OnOneModuleRowIntoTheModuleFolder",
                   [](CSessionRig& r) {
                       r.DropOnList({r.Pc("n.txt", "n")}, top, {{"a", ItemKind::module}});
                   },
                   {{"a/n.txt", "n"}}, {}, {}},
        SessionRow{"OnOneFileRowNowhere",
                   [](CSessionRig& r) { r.DropOnList({r.Pc("n.txt")}, sub, {aRow}); }, {},
                   {"sub/n.txt"}, {}},
        SessionRow{"OnManyRowsLedByADirectoryNowhere",
                   [](CSessionRig& r) {
                       r.DropOnList({r.Pc("n.txt")}, sub, {innerRow, aRow});
                       r.DropOnList({r.Pc("n.txt")}, top, {{"a", ItemKind::directory}, {"nv", ItemKind::directory}});
                   },
                   {}, {"sub/inner/n.txt", "sub/n.txt", "a/n.txt", "nv/n.txt"}, {}},
        // --- Deletes ---
        SessionRow{"RowsAfterTheQuestion",
                   [](CSessionRig& r) { r.session.DeleteRows(sub, {aRow, innerRow}); },
                   {{"sub/b.txt", "x"}}, {"sub/a.txt", "sub/inner"}, {}, {deleteTwo}, {},
                   {Text(msgDeletingFiles)}},
        SessionRow{"RowsKeptWhenTheAnswerIsNo",
                   [](CSessionRig& r) { r.session.DeleteRows(sub, {aRow, innerRow}); },
                   {{"sub/a.txt", "x"}, {"sub/inner/i.txt", "x"}}, {}, {}, {deleteTwo}, {false}},
        SessionRow{"ModuleRowDeletesFolderAndMif",
                   [](CSessionRig& r) { r.session.DeleteRows(top, {{"a", ItemKind::module}}); }, {},
                   {"a", "a.mif"}, {}, {"Are you sure you want to delete these 1 item(s)?"}},
        SessionRow{"StoppedRowsDeleteTakesTheModuleFolderFirstAndKeepsItsMif",
                   [](CSessionRig& r) {
                       // The user stops the delete once the module's folder is gone.
                       SetBusyHook([&r] {
                           if (!r.handset.DeviceEntryExists("a"))
                               RequestStop();
                       });
                       r.session.DeleteRows(top, {{"a.mif", ItemKind::file}, {"a", ItemKind::directory}});
                       SetBusyHook({});
                   },
                   {{"a.mif", "m"}}, {"a"}, {Text(msgDeleteStopped)}, {deleteTwo}},
        SessionRow{"MissingFileRowReportsItsPathAndGoesOn",
                   [](CSessionRig& r) { r.session.DeleteRows(sub, {{"none.txt", ItemKind::file}, aRow}); },
                   {}, {"sub/a.txt"}, {Text(msgCannotRemoveFile, "sub/none.txt")}, {deleteTwo}},
        SessionRow{"FolderNode",
                   [](CSessionRig& r) {
                       EXPECT_EQ(r.session.DeleteFolder({"sub/inner/", false, ""}, "inner", false),
                                 FolderDelete::removed);
                   },
                   {{"sub/a.txt", "x"}}, {"sub/inner"}, {},
                   {"Are you sure you want to delete directory: inner"}},
        SessionRow{"StoppedFolderReportedByTheSession",
                   [](CSessionRig& r) {
                       // The user stopped the delete before its first request.
                       RequestStop();
                       EXPECT_EQ(r.session.DeleteFolder({"sub/inner/", false, ""}, "inner", false),
                                 FolderDelete::stopped);
                       ClearStopRequest();
                   },
                   {{"sub/inner/i.txt", "x"}}, {}, {Text(msgDeleteStopped)},
                   {"Are you sure you want to delete directory: inner"}},
        SessionRow{"TopNodeNever",
                   [](CSessionRig& r) {
                       EXPECT_EQ(r.session.DeleteFolder(top, "/", true), FolderDelete::kept);
                   },
                   {{"sub/a.txt", "x"}}, {}, {Text(msgCannotDeleteRoot)}},
        SessionRow{"ModuleByName",
                   [](CSessionRig& r) {
                       EXPECT_TRUE(r.session.DeleteModuleNamed("A"));
                       EXPECT_FALSE(r.session.DeleteModuleNamed(""));
                   },
                   {}, {"a", "a.mif"}, {Text(msgModuleNameNotGiven)}},
        // --- New items ---
        SessionRow{"NewFileRefusedAtTopThenCopiedBelow",
                   [](CSessionRig& r) {
                       const std::string pc = r.Pc("new.txt", "nn");
                       EXPECT_EQ(r.session.NewFile(pc, CompleteNewFilePath(pc, "/"), true),
                                 DialogStep::askAgain);
                       EXPECT_EQ(r.session.NewFile(pc, CompleteNewFilePath(pc, "/sub/"), false),
                                 DialogStep::done);
                   },
                   {{"sub/new.txt", "nn"}}, {"new.txt"}, {Text(msgOnlyMifAtRoot)}},
        SessionRow{"NewFileThatFailsAsksToRetry",
                   [](CSessionRig& r) {
                       r.handset.Change([](sim::SimBehaviour& b) { b.failingPaths = {"/sub/new.txt"}; });
                       EXPECT_EQ(r.session.NewFile(r.Pc("new.txt"), "/sub/new.txt", false),
                                 DialogStep::abandoned);
                   },
                   {}, {"sub/new.txt"}, {Text(msgCannotCopyFile, "/sub/new.txt")},
                   {Text(msgRetryCopyFile)}, {false}},
        SessionRow{"NewDirectory",
                   [](CSessionRig& r) {
                       std::string path;
                       EXPECT_EQ(r.session.NewDirectory("", path), DialogStep::askAgain);
                       EXPECT_EQ(r.session.NewDirectory(" /sub/made ", path), DialogStep::done);
                       EXPECT_EQ(path, "/sub/made");
                   },
                   {{"sub/made", ""}}, {}, {Text(msgDirectoryNotGiven)}},
        SessionRow{"NewDirectoryThatWasThereWithItsReplyLost",
                   [](CSessionRig& r) {
                       r.handset.Change([](sim::SimBehaviour& b) { b.chosenReplies = {lostMakeDir}; });
                       std::string path;
                       EXPECT_EQ(r.session.NewDirectory("/sub/inner", path), DialogStep::abandoned);
                   },
                   {{"sub/inner/i.txt", "x"}}, {}, {}, {Text(msgRetryMakeDirectory)}, {false}},
        SessionRow{"NewModule",
                   [](CSessionRig& r) {
                       EXPECT_TRUE(r.session.NewModule(r.Module("game"), "game"));
                       EXPECT_FALSE(r.session.NewModule("", "game"));
                   },
                   {{"game.mif", "info"}, {"game/game.mod", "code"}}, {},
                   {Text(msgModuleNamesNotGiven)}},
        // --- Listings ---
        SessionRow{"ListingShowsDirectoriesThenFiles",
                   [](CSessionRig& r) {
                       const CDirectoryListing listing = r.session.List("sub/", true, false, sizeModeActual);
                       EXPECT_EQ(listing.subdirectories, std::vector<std::string>{"inner"});
                       std::vector<std::string> names;
                       for (const CDeviceRow& row : listing.rows)
                           names.push_back(row.name + ":" + std::to_string(row.size));
                       EXPECT_EQ(names, (std::vector<std::string>{"inner:1", "a.txt:1", "b.txt:1"}));
                   },
                   {}, {}, {}},
        SessionRow{"ListingALostHandsetShowsOneMessage",
                   [](CSessionRig& r) {
                       r.handset.Unplug();
                       EXPECT_TRUE(r.session.List("sub/", true, false, sizeModeActual).rows.empty());
                       EXPECT_EQ(r.session.Connect((r.handset.Scratch() / "gone").string(), rig::FastTiming()),
                                 msgCannotOpenPort);
                       r.session.List("sub/", true, false, sizeModeActual);
                   },
                   {}, {}, {Text(msgCannotReadEfs), Text(msgInvalidPortHandle)}},
        SessionRow{"AFailedConnectReportedUnlessStopped",
                   [](CSessionRig& r) {
                       r.session.ReportFailedConnect(
                           r.session.Connect((r.handset.Scratch() / "gone").string(), rig::FastTiming()));
                       RequestStop();
                       r.session.ReportFailedConnect(msgNoDevice);
                       ClearStopRequest();
                   },
                   {}, {}, {Text(msgCannotOpenPort)}},
        // --- The module list ---
        SessionRow{"ModulesFromTheKeptRootListingElseFromTheDevice",
                   [](CSessionRig& r) {
                       r.session.List(DeviceRootPath, true, true, sizeModeActual);
                       EXPECT_TRUE(r.session.RebuildModuleCache(true, sizeModeActual));
                       EXPECT_EQ(r.session.ModuleCache().modules, (std::vector<ModuleEntry>{{"a", 2}}));
                       // The root not shown, another size mode, or rows of another directory
                       // listed since: the handset is asked.
                       const std::function<void()> notTheRoot[] = {
                           [] {}, [] {}, [&r] { r.session.List("sub/", true, false, sizeModeActual); }};
                       const std::tuple<bool, int> shown[] = {{false, sizeModeActual},
                                                              {true, sizeModeAllocated},
                                                              {true, sizeModeActual}};
                       for (int i = 0; i < 3; ++i) {
                           notTheRoot[i]();
                           r.session.MarkModulesStale();
                           const auto [showsRoot, sizeMode] = shown[i];
                           EXPECT_FALSE(r.session.RebuildModuleCache(showsRoot, sizeMode)) << i;
                           ASSERT_EQ(r.session.ModuleCache().modules.size(), 1u);
                           EXPECT_EQ(LastPathComponent(r.session.ModuleCache().modules[0].name), "a");
                       }
                   },
                   {}, {}, {}},
        // --- Copies back, reset, offline ---
        SessionRow{"CopyFromDevice",
                   [](CSessionRig& r) {
                       std::optional<std::string> preset;
                       EXPECT_FALSE(r.session.CopyFromDevicePreset(&sub, {innerRow}, preset));
                       ASSERT_TRUE(r.session.CopyFromDevicePreset(&sub, {aRow}, preset));
                       EXPECT_EQ(preset, "/sub/a.txt");
                       r.session.CopyFromDevice(*preset, r.handset.Pc().string());
                       EXPECT_EQ(rig::ReadPcFile(r.handset.Pc() / "a.txt"), rig::ToBytes("x"));
                   },
                   {{"sub/a.txt", "x"}}, {}, {}},
        SessionRow{"OfflineThenReset",
                   [](CSessionRig& r) {
                       r.handset.Change([](sim::SimBehaviour& b) {
                           b.resetAbsence = std::chrono::milliseconds(300);
                       });
                       r.session.Offline();
                       r.session.Reset();
                   },
                   {}, {}, {Text(msgNowOffline), Text(msgNowOnline)}, {}, {},
                   {Text(msgGoingOffline), Text(msgResetting)}}),
    [](const ::testing::TestParamInfo<SessionRow>& row) { return std::string(row.param.name); });

// The console and the window connect through ConnectHandset; the window's session keeps what
// it decided.
TEST(SessionConnect, ReportsEachStageAndDecidesTheStatisticsOnce)
{
    rig::CHandsetRig handset;
    handset.PutDeviceFile("nv/phone.cfg", rig::ToBytes(std::string(512, 'c')));
    std::vector<ConnectStage> stages;
    CDeviceSession session;
    EfsStatsAvailable = false;
    ASSERT_EQ(session.Connect(handset.Port(), rig::FastTiming(),
                              [&stages](ConnectStage stage) {
                                  if (stage != ConnectStage::pollPeriodPassed)
                                      stages.push_back(stage);
                              }),
              msgSuccess);
    EXPECT_EQ(stages, (std::vector<ConnectStage>{ConnectStage::portOpened,
                                                 ConnectStage::detectionEnded,
                                                 ConnectStage::handsetFound}));
    EXPECT_TRUE(EfsStatsAvailable);
    EXPECT_TRUE(session.PhoneReady());
    EXPECT_EQ(session.PortName(), handset.Port());
    EXPECT_EQ(session.Connect((handset.Scratch() / "no-such-port").string(), rig::FastTiming()),
              msgCannotOpenPort);
    EXPECT_EQ(session.Link(), nullptr);
    EXPECT_EQ(session.PortName(), "");
}

// The window waits for a connection attempt while serving its user, who may start another one
// meanwhile: the later attempt takes over at once, the earlier gives up its wait for the handset
// and leaves the session to it.
TEST(SessionConnect, AConnectStartedWhileAnotherWaitsTakesOverAndTheFirstGivesUp)
{
    rig::CHandsetRig handset;
    handset.PutDeviceFile("nv/phone.cfg", rig::ToBytes(std::string(512, 'c')));
    rig::CHandsetRig silent;
    silent.Start([](sim::SimBehaviour& b) { b.silent = true; });
    CDeviceSession session;
    int waits = 0;
    AppMessage later = msgCannotOpenPort;
    session.SetJobWaiter([&](const std::function<bool()>& finished) {
        if (++waits == 1)
            later = session.Connect(handset.Port(), rig::FastTiming());
        while (!finished())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    const auto start = rig::Clock::now();
    EXPECT_EQ(session.Connect(silent.Port(), rig::FastTiming()), msgNoDevice);
    // The silent handset would have been waited for 12.5 s.
    EXPECT_LT(rig::Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(later, msgSuccess);
    EXPECT_TRUE(session.PhoneReady());
    EXPECT_EQ(session.PortName(), handset.Port());
}

}  // namespace

namespace {

// A silent clean-up inside a command gives the caller back the reporting state it had, on or
// off: a failed module load removes its information file, a failed folder copy its folder.
TEST(SessionCleanUps, LeaveTheCallersReportingStateAsTheyFoundIt)
{
    for (const bool callerReports : {false, true}) {
        CSessionRig r;
        r.handset.PutDeviceFile("nv/phone.cfg", rig::ToBytes(std::string(512, 'c')));
        r.handset.Change([](sim::SimBehaviour& b) {
            b.failingPaths = {"/game.mif", "/sub/fresh/b.txt"};
        });
        ASSERT_EQ(r.session.Connect(r.handset.Port(), rig::FastTiming()), msgSuccess);
        r.Pc("fresh/a.txt");
        r.Pc("fresh/b.txt");
        ReportEnabled = callerReports;
        r.session.NewModule(r.Module("game"), "game");
        EXPECT_EQ(ReportEnabled, callerReports);
        r.session.Drop({r.Folder("fresh")}, sub);
        EXPECT_EQ(ReportEnabled, callerReports);
        ReportEnabled = true;
        EXPECT_FALSE(r.handset.DeviceEntryExists("game.mif"));
        EXPECT_FALSE(r.handset.DeviceEntryExists("sub/fresh"));
        EXPECT_EQ(r.reports.texts.empty(), !callerReports);
    }
}

}  // namespace

namespace {

// What the user sees of a failed copy that made a folder, in order: message boxes ("box "), wait
// windows shown ("+") and closed ("-"), each wait marked " [there]" while the row's folder is on
// the device. Why the copy failed comes first, and the folder is gone before the wait that covers
// its removal closes; a folder that was there before is left alone, with no housekeeping.
struct SeenRow {
    const char* name;
    std::function<void(CSessionRig&)> act;
    std::string folder;  // device path watched
    Texts seen;
};

void PrintTo(const SeenRow& row, std::ostream* out)
{
    *out << row.name;
}

std::string Box(AppMessage code, const std::string& path = {})
{
    return "box " + Text(code, path);
}

std::string Shown(AppMessage code, bool there)
{
    return "+" + Text(code) + (there ? " [there]" : "");
}

std::string Closed(AppMessage code, bool there)
{
    return "-" + Text(code) + (there ? " [there]" : "");
}

class SeenInOrder : public ::testing::TestWithParam<SeenRow> {};

TEST_P(SeenInOrder, FailureThenHousekeepingOverTheRemoval)
{
    const SeenRow& row = GetParam();
    CSessionRig r;
    r.handset.PutDeviceFile("nv/phone.cfg", rig::ToBytes(std::string(512, 'c')));
    r.handset.PutDeviceFile("sub/inner/i.txt", rig::ToBytes("x"));
    ASSERT_EQ(r.session.Connect(r.handset.Port(), rig::FastTiming()), msgSuccess);

    Texts seen;
    size_t boxes = 0;
    const auto noteBoxes = [&] {
        for (; boxes < r.reports.texts.size(); ++boxes)
            seen.push_back("box " + r.reports.texts[boxes]);
    };
    const auto note = [&](char sign, AppMessage text) {
        noteBoxes();
        const bool there = r.handset.DeviceEntryExists(row.folder);
        seen.push_back((sign == '+' ? Shown : Closed)(text, there));
    };
    struct Closer {
        std::function<void()> close;
        ~Closer() { close(); }
    };
    r.session.SetWaitShower([&note](AppMessage text, SessionWait) {
        note('+', text);
        return std::make_shared<Closer>([&note, text] { note('-', text); });
    });

    row.act(r);
    ClearStopRequest();
    noteBoxes();
    EXPECT_EQ(seen, row.seen);
}

INSTANTIATE_TEST_SUITE_P(
    Drops, SeenInOrder,
    ::testing::Values(
        SeenRow{"FailedFolder",
                DropFolderWhoseSecondFileFails,
                "sub/fresh",
                {Shown(msgCopyingFiles, false), Box(msgCannotCopyFile, "/sub/fresh/b.txt"),
                 Box(msgCannotCopyDirectory, "sub/fresh"), Shown(msgHousekeeping, true),
                 Closed(msgHousekeeping, false), Closed(msgCopyingFiles, false)}},
        SeenRow{"StoppedFolder",
                DropFolderStoppedAfterItsFirstFile,
                "sub/fresh",
                {Shown(msgCopyingFiles, false), Shown(msgHousekeeping, true),
                 Closed(msgHousekeeping, false), Closed(msgCopyingFiles, false),
                 Box(msgCopyToDeviceStopped)}},
        // The handset refuses a.txt and b.txt once a.txt is written, so the copy fails and so does
        // the removal: the user hears of the copy only.
        SeenRow{"FailedFolderThatCannotBeRemoved",
                [](CSessionRig& r) {
                    r.Pc("fresh/a.txt");
                    r.Pc("fresh/b.txt");
                    SetTransferProgressHandler([&r](const std::string&, uint64_t done, uint64_t total) {
                        if (done == total)
                            r.handset.Change([](sim::SimBehaviour& b) {
                                b.failingPaths = {"/sub/fresh/a.txt", "/sub/fresh/b.txt"};
                            });
                    });
                    r.session.Drop({r.Folder("fresh")}, sub);
                    SetTransferProgressHandler({});
                },
                "sub/fresh",
                {Shown(msgCopyingFiles, false), Box(msgDownloadFailed),
                 Box(msgCannotCopyDirectory, "sub/fresh"), Shown(msgHousekeeping, true),
                 Closed(msgHousekeeping, true), Closed(msgCopyingFiles, true)}},
        SeenRow{"FolderThatWasThere",
                [](CSessionRig& r) {
                    r.Pc("inner/new.txt");
                    r.session.Drop({r.Folder("inner")}, sub);
                },
                "sub/inner",
                {Shown(msgCopyingFiles, true), Box(msgCannotCopyDirectory, "sub/inner"),
                 Closed(msgCopyingFiles, true)}},
        // A module's folder goes with its load's own rollback, inside the copy's wait.
        SeenRow{"FailedModuleFolder",
                [](CSessionRig& r) {
                    r.handset.Change([](sim::SimBehaviour& b) { b.failingPaths = {"/game/game.sig"}; });
                    r.session.Drop({r.Module("game")}, top);
                },
                "game",
                {Shown(msgCopyingFiles, false), Box(msgCannotCopyFile, "/game/game.sig"),
                 Box(msgCannotCopyModule), Closed(msgCopyingFiles, false)}}),
    [](const ::testing::TestParamInfo<SeenRow>& row) { return std::string(row.param.name); });

}  // namespace
