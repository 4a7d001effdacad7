// Faults on the line and in the handset, driven through the real link and the module procedures:
// each operation ends within its bound with exactly the data the handset holds or a clean
// failure, the PC file and the device as they were, and works again once the fault is gone. A
// slow handset gives exactly a prompt one's results, and every reply it sends is either taken
// by its own request or counted stray.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <future>

#include "efs/efs_operations.h"
#include "link/phone_mode.h"
#include "modules/file_fetch.h"
#include "modules/module_list.h"
#include "modules/module_load.h"
#include "platform/stop_request.h"
#include "support/handset_rig.h"

namespace {

using namespace rig;
using std::chrono::milliseconds;
using std::chrono::seconds;

enum class Op { fetch, load, pending, list, remove, reset, offline };
enum class Cut { none, unplug, stop, resetRequest, stopAtMakeDir };
constexpr int anyResult = -1;  // success or a clean failure, as the line allows
constexpr int fails = -2;      // any failure
constexpr auto bound = seconds(90);

struct FaultCase {
    const char* name;
    Op op;
    int expected;
    void (*change)(sim::SimBehaviour&) = nullptr;
    Cut cut = Cut::none;
    size_t after = 0;    // requests the handset hears before the cut
    size_t size = 20000;  // bytes of the file moved
    bool accounted = false;  // every reply sent is taken, counted stray or counted unasked
    const char* userFile = nullptr;  // a device file of the user's that stays, byte for byte
    int expectedAgain = 0;  // the result once the fault is gone; 0: the operation's success
    // One request went out this many times, and every other request once (0: not checked).
    size_t mostWrites = 0;
};

int Succeeded(Op op)
{
    return op == Op::load ? 1 : op == Op::remove ? 2 : op == Op::pending ? 67 : op == Op::reset ? 71
         : op == Op::offline ? 70 : 0;
}

void Noisy(sim::SimBehaviour& b) { b.damagedBytesPerMillion = 10000; }  // 1% of reply bytes
void Lossy(sim::SimBehaviour& b) { b.loseEveryNthReply = 10; }
void Lengths(sim::SimBehaviour& b) { b.hostileLengths = true; }
void Late(sim::SimBehaviour& b) { b.replyDelay = milliseconds(2500); }  // past the listing's 2 s
void Paced(sim::SimBehaviour& b) { b.replyDelay = milliseconds(10); }  // time to stop in between
void PacedInPlace(sim::SimBehaviour& b) { b.replyDelay = milliseconds(10), b.writesInPlace = true; }
// Slower than a status probe's attempt, so a poll may time out while the handset still owes its reply.
void Slow(sim::SimBehaviour& b) { b.replyDelay = milliseconds(450); }
void Jittery(sim::SimBehaviour& b)
{
    b.replyDelay = milliseconds(10), b.replyDelayMax = milliseconds(300), b.replySeed = 7;
}
// Events at half the idle time a poll waits for: 100 ms on the product timing, 10 ms on the rig's.
void Events(sim::SimBehaviour& b) { b.eventPeriod = milliseconds(10); }
void ReadEchoZero(sim::SimBehaviour& b) { b.readSequenceZero = true; }

// One chosen reply: to the occurrence-th request of an EFS subcommand (ending with name, when given).
sim::SimChosenReply Chosen(uint8_t subcommand, unsigned occurrence, sim::SimReplyFault fault,
                           milliseconds pause = {}, const std::string& name = {})
{
    Bytes end(name.begin(), name.end());
    if (!name.empty())
        end.push_back(0);
    return {{0x59, subcommand}, end, occurrence, fault, pause};
}
using enum sim::SimReplyFault;
void TwoWriteAcksLost(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(5, 3, lose), Chosen(5, 4, lose)}; }
void MakeDirLost(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(0, 1, lose)}; }
void FileRemoveLost(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(6, 1, lose, {}, "chess.mod")}; }
void MifRemoveLost(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(6, 1, lose, {}, "chess.mif")}; }
void FolderRemoveLost(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(1, 1, lose, {}, "chess")}; }
// The first attempt's reply comes just after its time-out; the retry's own reply comes well after
// the next request has gone out.
void StepRetryLate(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(11, 1, delay, milliseconds(220)), Chosen(11, 2, delay, milliseconds(550))}; }
void ReadRetryLate(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(4, 1, delay, milliseconds(4100)), Chosen(4, 2, delay, milliseconds(1000))}; }
void AttributesRetryLate(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(7, 1, delay, milliseconds(2100)), Chosen(7, 2, delay, milliseconds(1000))}; }
void ReadSplit(sim::SimBehaviour& b) { b.chosenReplies = {Chosen(4, 3, split, milliseconds(300))}; }
// The folder to be made is the user's, and the reply saying it exists already is lost.
void MakeDirLostWriteFails(sim::SimBehaviour& b) { MakeDirLost(b), b.failingPaths = {"/golf/golf.mod"}; }
void MakeDirLostPaced(sim::SimBehaviour& b) { MakeDirLost(b), Paced(b); }
// Every attempt of the first look at /pending goes unanswered; later looks are answered.
void PendingLookLost(sim::SimBehaviour& b)
{
    b.chosenReplies = {Chosen(7, 1, lose, {}, "pending"), Chosen(7, 2, lose, {}, "pending"),
                       Chosen(7, 3, lose, {}, "pending")};
}
// Replies take 70% of a listing step's time-out, and both replies to one step are lost.
void SlowTwoStepRepliesLost(sim::SimBehaviour& b)
{
    b.replyDelay = milliseconds(140), b.chosenReplies = {Chosen(11, 3, lose), Chosen(11, 4, lose)};
}
// The last block of a 4-block write is refused and the refusal lost: the retry finds no write open.
void LastBlockRefusedLost(sim::SimBehaviour& b) { b.writeBlockLimit = 3, b.chosenReplies = {Chosen(5, 4, lose)}; }
void Siblings(sim::SimBehaviour& b) { b.siblingsInDirListings = true; }

class FaultTable : public ::testing::TestWithParam<FaultCase> {
protected:
    // Runs the operation; the result, or 1 for a listing that failed.
    int Run(Op op)
    {
        std::string out = (rig.Pc() / "out").string();
        switch (op) {
        case Op::fetch: return FetchFile(rig.link.get(), "/data/big", out);
        case Op::load: return LoadModule(rig.link.get(), (rig.Pc() / "golf").string(), "golf");
        case Op::pending: return LoadPendingFile(rig.link.get(), (rig.Pc() / "golf/golf.mod").string());
        case Op::list: names.clear(); return EfsListFiles(rig.link.get(), "/many", &names) ? 0 : 1;
        case Op::remove: return DeleteModule(rig.link.get(), "chess");
        case Op::reset: return ResetPhone(rig.link.get());
        case Op::offline: return SetPhoneOffline(rig.link.get());
        }
        return -1;
    }

    // What a result must leave behind: the exact data on success, the old state on failure.
    void CheckAfter(Op op, int result, bool rolledBack, const char* userFile = nullptr)
    {
        if (userFile != nullptr) {
            EXPECT_EQ(ReadPcFile(rig.Device() / userFile), userData) << userFile;
        }
        const bool ok = result == Succeeded(op);
        switch (op) {
        case Op::fetch:
            EXPECT_EQ(ReadPcFile(rig.Pc() / "out/big"), ok ? data : old);
            EXPECT_EQ(std::distance(fs::directory_iterator(rig.Pc() / "out"), fs::directory_iterator()), 1);
            break;
        case Op::load:
            if (ok) {
                EXPECT_EQ(ReadPcFile(rig.Device() / "golf/golf.mod"), data);
            } else if (rolledBack) {
                EXPECT_FALSE(fs::exists(rig.Device() / "golf.mif"));
                // A folder that was there before the load is the user's: nothing is added to it.
                EXPECT_EQ(fs::exists(rig.Device() / "golf"), userFile != nullptr);
                EXPECT_FALSE(fs::exists(rig.Device() / "golf/golf.mod"));
            }
            break;
        case Op::pending:  // never half-written: the old file is back whole, even after writes in place
            ASSERT_TRUE(fs::exists(rig.Device() / "pending"));
            EXPECT_EQ(ReadPcFile(rig.Device() / "pending"), ok ? data : old);
            break;
        case Op::list:
            EXPECT_EQ(names, ok ? listing : EfsNameList{});
            break;
        case Op::remove:  // only a delete that could list the module may have begun removing it
            EXPECT_EQ(fs::exists(rig.Device() / "chess/chess.mod"), !ok && result != 58);
            break;
        case Op::reset:
        case Op::offline:
            EXPECT_EQ(rig.link->GetPhoneStatus(), phoneStatusReady);
            break;
        }
    }

    CHandsetRig rig{DeviceStore::folder};
    CReportCapture report;
    Bytes data;
    const Bytes old = Pattern(1000, 6);
    const Bytes userData = Pattern(700, 8);
    EfsNameList names;
    EfsNameList listing;
};

TEST_P(FaultTable, ExactOrCleanAndWorksAgain)
{
    const FaultCase& c = GetParam();
    data = Pattern(c.size, 5);
    WritePcFile(rig.Device() / "data/big", data);
    WritePcFile(rig.Device() / "chess.mif", Pattern(50, 1));
    WritePcFile(rig.Device() / "chess/chess.mod", Pattern(600, 2));
    for (int i = 0; i < 300; ++i) {
        WritePcFile(rig.Device() / ("many/entry" + std::to_string(i)), {});
        listing.push_back("/many/entry" + std::to_string(i));
    }
    std::sort(listing.begin(), listing.end());
    WritePcFile(rig.Pc() / "out/big", old);
    WritePcFile(rig.Device() / "pending", old);
    WritePcFile(rig.Pc() / "golf/golf.mif", Pattern(200, 9));
    WritePcFile(rig.Pc() / "golf/golf.mod", data);
    if (c.userFile != nullptr)
        WritePcFile(rig.Device() / c.userFile, userData);
    rig.capacity = 64u * 1024 * 1024;
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    ASSERT_NO_FATAL_FAILURE(rig.Connect());
    if (c.change)
        rig.Change(c.change);

    ClearStopRequest();
    const size_t heard = rig.LogSize();
    const auto run = [&] {
        const int result = Run(c.op);
        std::sort(names.begin(), names.end());
        return result;
    };
    auto pending = std::async(std::launch::async, run);
    if (c.cut != Cut::none) {
        EXPECT_TRUE(rig.host->WaitForRequests(heard + c.after, milliseconds(30000))) << "never got going";
        const uint8_t reset[3] = {0x29, 2, 0};
        if (c.cut == Cut::unplug)
            rig.Unplug();
        else if (c.cut == Cut::stop)
            RequestStop();
        else if (c.cut == Cut::stopAtMakeDir) {
            EXPECT_TRUE(WaitUntil(seconds(30), [&] {
                const auto requests = rig.EfsRequestsSince(heard);
                return std::any_of(requests.begin(), requests.end(),
                                   [](const Bytes& r) { return r.size() > 1 && r[1] == 0; });
            }));
            RequestStop();
        }
        else
            EXPECT_EQ(rig.link->SendSync(sizeof reset, reset, cmdTypeDiag, 0, 2000, nullptr, nullptr), linkStatusOk);
    }
    if (pending.wait_for(bound) != std::future_status::ready) {
        ADD_FAILURE() << "still running after the bound";
        rig.Unplug();
    }
    const int result = pending.get();
    ClearStopRequest();
    if (c.expected == fails) {
        EXPECT_NE(result, Succeeded(c.op));
    } else if (c.expected != anyResult) {
        EXPECT_EQ(result, c.expected);
    }
    CheckAfter(c.op, result, c.cut != Cut::unplug, c.userFile);
    if (c.mostWrites != 0) {  // one request was written again and again, every other one once
        const auto requests = rig.EfsRequestsSince(heard);
        std::vector<size_t> repeated;
        for (size_t i = 0, sameInARow = 1; i < requests.size(); ++i, ++sameInARow) {
            if (i + 1 < requests.size() && requests[i + 1] == requests[i])
                continue;
            if (sameInARow > 1)
                repeated.push_back(sameInARow);
            sameInARow = 0;
        }
        EXPECT_EQ(repeated, std::vector<size_t>{c.mostWrites});
    }
    if (c.cut == Cut::stop || c.cut == Cut::stopAtMakeDir || c.accounted) {  // a stop, and a reply lost or late, report nothing
        EXPECT_EQ(report.texts, std::vector<std::string>{});
    }
    if (c.change == Noisy) {
        EXPECT_GT(rig.host->DamagedReplyBytes(), 0u);
    }
    if (rig.host && (c.accounted || c.change == Slow || c.change == Jittery)) {
        const auto miscount = [&] {  // every reply sent was taken, counted stray or counted unasked
            const auto& stats = rig.link->Stats();
            return stats.strayReplies.load() + stats.unsolicitedPackets.load() -
                   (static_cast<int>(rig.host->RepliesSent()) - stats.repliesTaken.load());
        };
        EXPECT_TRUE(WaitUntil(seconds(2), [&] { return miscount() == 0; })) << miscount();
    }

    // With the fault gone (a new handset on the same files after an unplug, else the same link
    // once the handset is back) the operation gives the exact data.
    if (c.cut == Cut::unplug) {
        ASSERT_NO_FATAL_FAILURE(rig.Replug());
    } else {
        rig.Change([](sim::SimBehaviour& b) { b = sim::SimBehaviour{}; });
        ASSERT_TRUE(WaitUntil(seconds(20), [&] { return rig.link->GetPhoneStatus() == phoneStatusReady; }));
    }
    if (c.op == Op::load && c.userFile == nullptr)
        DeleteModule(rig.link.get(), "golf");  // what a cut-off load could not clean up
    if (c.op == Op::remove) {
        WritePcFile(rig.Device() / "chess.mif", Pattern(50, 1));
        WritePcFile(rig.Device() / "chess/chess.mod", Pattern(600, 2));
    }
    if (c.op != Op::reset && c.op != Op::offline) {
        const int again = c.expectedAgain != 0 ? c.expectedAgain : Succeeded(c.op);
        EXPECT_EQ(run(), again);
        CheckAfter(c.op, again, true, c.userFile);
    }
}

const FaultCase faultCases[] = {
    {"NoisyFetch", Op::fetch, anyResult, Noisy, Cut::none, 0, 1500},
    {"NoisyLoad", Op::load, anyResult, Noisy, Cut::none, 0, 1500},
    {"NoisyList", Op::list, anyResult, Noisy},
    {"LossyFetch", Op::fetch, anyResult, Lossy, Cut::none, 0, 20 * 256},
    {"LossyLoad", Op::load, 1, Lossy, Cut::none, 0, 10 * 256},
    {"LossyList", Op::list, 0, Lossy},
    {"LateList", Op::list, 1, Late},
    {"SlowFetch", Op::fetch, 0, Slow, Cut::none, 0, 4000},
    {"SlowLoad", Op::load, 1, Slow, Cut::none, 0, 2000},
    {"JitteryList", Op::list, 0, Jittery},
    {"JitteryRemove", Op::remove, 2, Jittery},
    {"LengthsFetch", Op::fetch, 36, Lengths},
    {"LengthsLoad", Op::load, anyResult, Lengths},
    {"LengthsRemove", Op::remove, fails, Lengths},
    // Removing the listed phantom entries fails, but the final listing shows the module gone.
    {"NamesRemove", Op::remove, 58, [](sim::SimBehaviour& b) { b.hostileLongNames = b.hostileManyEntries = true; }},
    {"ReadOverrunFetch", Op::fetch, 36, [](sim::SimBehaviour& b) { b.hostileReadOverrun = true; }},
    {"UnplugFetch", Op::fetch, 36, nullptr, Cut::unplug, 40},
    {"UnplugLoad", Op::load, fails, nullptr, Cut::unplug, 40},
    {"UnplugList", Op::list, 1, nullptr, Cut::unplug, 50},
    {"ResetDuringList", Op::list, anyResult, [](sim::SimBehaviour& b) { b.resetAbsence = seconds(3); },
     Cut::resetRequest, 50},
    {"StopFetch", Op::fetch, 4, Paced, Cut::stop, 12},
    {"StopLoad", Op::load, 3, Paced, Cut::stop, 12},
    {"StopPending", Op::pending, 91, Paced, Cut::stop, 12},
    {"StopPendingWrittenInPlace", Op::pending, 91, PacedInPlace, Cut::stop, 12},
    {"ResetBackSoon", Op::reset, 71, [](sim::SimBehaviour& b) { b.resetAbsence = milliseconds(700); }},
    // One lost or late reply: the exact result, nothing answered twice or by the wrong reply.
    {"TwoWriteAcksLostLoad", Op::load, 1, TwoWriteAcksLost, Cut::none, 0, 20000, true},
    {"MakeDirLostLoad", Op::load, 1, MakeDirLost, Cut::none, 0, 20000, true},
    {"FileRemoveLost", Op::remove, 2, FileRemoveLost, Cut::none, 0, 20000, true},
    {"MifRemoveLost", Op::remove, 2, MifRemoveLost, Cut::none, 0, 20000, true},
    {"FolderRemoveLost", Op::remove, 2, FolderRemoveLost, Cut::none, 0, 20000, true},
    {"StepRetryLateList", Op::list, 0, StepRetryLate, Cut::none, 0, 20000, true},
    {"ReadRetryLateFetch", Op::fetch, 0, ReadRetryLate, Cut::none, 0, 3000, true},
    {"AttributesRetryLateLoad", Op::load, 1, AttributesRetryLate, Cut::none, 0, 20000, true},
    {"SplitReadFetch", Op::fetch, 0, ReadSplit, Cut::none, 0, 3000, true},
    {"ReadEchoZeroFetch", Op::fetch, 0, ReadEchoZero, Cut::none, 0, 3000, true},
    {"EventsOffline", Op::offline, 70, Events, Cut::none, 0, 20000, true},
    {"EventsReset", Op::reset, 71, Events, Cut::none, 0, 20000, true},
    // The folder a load would make is the user's, with a file in it, and the reply that says so is
    // lost: the retry's "already there" is not taken for this load's own work, so the load fails
    // as it does with no lost reply, and its rollback, stopped or not, leaves the folder alone.
    {"UserFolderMakeDirLostLoad", Op::load, 65, MakeDirLost, Cut::none, 0, 20000, true, "golf/keep.txt", 65},
    {"UserFolderMakeDirLostFailingLoad", Op::load, 65, MakeDirLostWriteFails, Cut::none, 0, 20000, false,
     "golf/keep.txt", 65},
    {"UserFolderMakeDirLostStoppedLoad", Op::load, 3, MakeDirLostPaced, Cut::stopAtMakeDir, 0, 20000, false,
     "golf/keep.txt", 65},
    // An old /pending the handset will not say anything of is never replaced.
    {"PendingLookLostPending", Op::pending, 66, PendingLookLost},
    // Waiting for a reply still owed uses up no write: the step goes out three times and the
    // iteration goes on, without starting over.
    {"SlowTwoLostStepRemove", Op::remove, 2, SlowTwoStepRepliesLost, Cut::none, 0, 20000, true, nullptr, 0, 3},
    // The old /pending is as long as the new one: its size proves nothing of a refused last block.
    {"SameSizeRefusedLastBlockPending", Op::pending, 66, LastBlockRefusedLost, Cut::none, 0, 1000},
    // A listing of /chess that also lists /chessx must not make the delete enter it.
    {"SiblingsRemove", Op::remove, 2, Siblings, Cut::none, 0, 20000, false, "chessx/keep.txt"},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultTable, ::testing::ValuesIn(faultCases),
                         [](const auto& each) { return std::string(each.param.name); });

// A handset whose pace is slower than a listing step's time-out is waited for: once the link has
// seen its pace, no step is written twice and the listing takes the handset's own time.
TEST(SlowHandset, ListsAtItsOwnPaceWritingNoStepTwice)
{
    CHandsetRig rig{DeviceStore::folder};
    EfsNameList expected;
    for (int i = 0; i < 20; ++i) {
        WritePcFile(rig.Device() / ("many/e" + std::to_string(i)), {});
        expected.push_back("/many/e" + std::to_string(i));
    }
    std::sort(expected.begin(), expected.end());
    // The handset keeps its pace from the start, so the link learns it while it connects.
    constexpr auto pace = milliseconds(250);  // past a listing step's 200 ms
    ASSERT_NO_FATAL_FAILURE(rig.Start([&](sim::SimBehaviour& b) { b.replyDelay = pace; }));
    ASSERT_NO_FATAL_FAILURE(rig.Connect());
    EfsNameList names;
    const size_t heard = rig.LogSize();
    const auto started = Clock::now();
    ASSERT_TRUE(EfsListFiles(rig.link.get(), "/many", &names));
    const auto took = Clock::now() - started;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    const auto requests = rig.EfsRequestsSince(heard);
    EXPECT_EQ(std::adjacent_find(requests.begin(), requests.end()), requests.end()) << "a step written twice";
    EXPECT_LE(took, pace * static_cast<int>(requests.size()) + seconds(1));
}

// PC entries that are not regular files are refused at once, before anything is written, and a
// fetch into a folder that cannot take its file fails before asking the handset for anything.
TEST(SpecialPcFiles, FailBeforeTheHandsetIsAsked)
{
    CHandsetRig rig;
    CReportCapture report;
    const fs::path fifo = rig.Pc() / "fifo";
    const fs::path socketPath = rig.Pc() / "socket";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const char* name : {"golf.mif", "golf.mod", "golf.sig", "golf.bar"})
        rig.PutPcFile(std::string("golf/") + name, Pattern(20, 4));
    fs::create_directories(rig.Pc() / "golf/sub");
    ASSERT_EQ(::mkfifo((rig.Pc() / "golf/sub/pipe").c_str(), 0600), 0);
    rig.PutDeviceFile("/data.bin", Pattern(700, 6));
    ASSERT_NO_FATAL_FAILURE(rig.Connect());
    const size_t heard = rig.LogSize();

    // An open that waited for a FIFO's writer would hang here, until the test's time-out.
    for (const fs::path& special : {fifo, socketPath}) {
        report.texts.clear();
        EXPECT_EQ(LoadPendingFile(rig.link.get(), special.string()), 66) << special;
        EXPECT_EQ(report.texts, std::vector<std::string>{"Error - Could not open file from PC"});
    }
    EXPECT_EQ(LoadModule(rig.link.get(), (rig.Pc() / "golf").string(), "golf"), 65);
    std::string missing = (rig.Pc() / "missing").string();
    EXPECT_EQ(FetchFile(rig.link.get(), "/data.bin", missing), 41);
    for (const auto& request : rig.EfsRequestsSince(heard))
        EXPECT_NE(request.at(1), 4) << "read from the device";
    EXPECT_FALSE(rig.DeviceEntryExists("/pending"));
    EXPECT_FALSE(rig.DeviceEntryExists("/golf.mif"));
    ::close(listener);

    // A replacement that never began writing leaves an old /pending alone: it is not written back.
    rig.PutDeviceFile("/pending", Pattern(300, 7));
    const size_t before = rig.LogSize();
    EXPECT_EQ(LoadPendingFile(rig.link.get(), fifo.string()), 66);
    for (const auto& request : rig.EfsRequestsSince(before))
        EXPECT_NE(request.at(1), 5) << "wrote to the device";
    EXPECT_EQ(rig.DeviceFile("/pending"), Pattern(300, 7));
}

}  // namespace
