// Switches that make the virtual handset behave like a particular phone, or misbehave on
// purpose for tests. The host lets them change while it runs.
#pragma once

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace sim {

enum class SimSpeeds { only38400, only115200, both };

enum class SimDownloadMode {
    none,           // a diagnostic phone
    download,       // answers only the download probe
    streamDownload  // answers only the stream-download hello
};

// What happens to one chosen reply: lost, sent late, or sent in two halves with a pause between.
enum class SimReplyFault { lose, delay, split };
struct SimChosenReply {
    // The reply to a request that starts and ends with these bytes (a code and subcommand, a
    // name and its terminator), the occurrence-th one heard since the switches last changed.
    std::vector<uint8_t> requestStart;
    std::vector<uint8_t> requestEnd;
    unsigned occurrence = 1;
    SimReplyFault fault = SimReplyFault::lose;
    std::chrono::milliseconds pause{0};  // delay: how late; split: the pause between the halves
};

struct SimBehaviour {
    // Line rates it understands. A phone speaking both starts at either; after a rate switch
    // to 115200 it speaks only that until a reset.
    SimSpeeds speeds = SimSpeeds::both;
    SimDownloadMode downloadMode = SimDownloadMode::none;
    bool dataPhone = false;  // ignores DM frames until the modem command switches it
    bool noEfs = false;      // EFS requests get the bad-command reply
    bool noIteration = false;  // the iteration subcommands get the bad-command reply
    bool usedFigureZero = false;
    bool refuseModeChange = false;  // mode changes (offline, reset) get the bad-command reply
    std::chrono::milliseconds resetAbsence{2000};  // how long a reset keeps it silent
    std::set<std::string> failingPaths;  // device paths ("/a/b") whose requests fail with status 1
    // Device files that keep one byte less than was written, though the write succeeds, as on a
    // handset whose file system drops data without a word.
    std::set<std::string> shortenedPaths;
    // A file being written holds the blocks received so far, as on handsets that write in
    // place; otherwise the old file stays whole until the last block.
    bool writesInPlace = false;
    // A write stays open until its last block or a reset, whatever else is asked meanwhile, and
    // a new write is refused while one is open, as on handsets that keep one file open.
    bool strictWrites = false;
    // A last block that comes again after it finished the file is refused (no write is open),
    // instead of being acknowledged again.
    bool closesFinishedWrites = false;
    // Writes longer than this many blocks are refused at the next block (0: no limit), so a
    // write fails part-way while shorter ones succeed.
    unsigned writeBlockLimit = 0;

    // Hostile replies, each aimed at one reader of the product.
    bool hostileLengths = false;     // length fields larger than the packet that carries them
    bool hostileLongNames = false;   // listings carry an extra entry with a 100-byte name
    bool hostileManyEntries = false; // listings carry 150 extra entries
    bool hostileReadOverrun = false; // reads deliver more data than the total they announce
    bool readSequenceZero = false;   // read replies leave byte 3 at 0 instead of echoing the sequence
    // Directory iterations of /a/t also list the parent's directories named t-something (/a/tx).
    bool siblingsInDirListings = false;

    // Wire-level behaviours, applied by the pty host.
    bool silent = false;  // hears everything, answers nothing
    bool noise = false;   // junk bytes and a corrupted copy go before every reply
    unsigned loseEveryNthReply = 0;  // 0: none lost
    std::vector<SimChosenReply> chosenReplies;
    std::chrono::milliseconds eventPeriod{0};  // an unsolicited event packet (0x60) this often; 0: none
    // About this many in a million reply bytes reach the line with bits flipped, drawn from a
    // fixed sequence so a failing run can be repeated; flags and escapes may be hit too.
    unsigned damagedBytesPerMillion = 0;
    bool throttle = false;           // requests and replies move at the line rate, 10 bits a byte
    // Processing time of each answered request. Above replyDelay, replyDelayMax makes it a
    // random time in [replyDelay, replyDelayMax], drawn from a generator seeded by replySeed.
    // Requests are worked through one at a time, in order, as a real handset does.
    std::chrono::milliseconds replyDelay{0};
    std::chrono::milliseconds replyDelayMax{0};
    unsigned replySeed = 1;
};

}  // namespace sim
