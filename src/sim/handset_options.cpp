#include "sim/handset_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace sim {

namespace {

bool ParseNumber(const std::string& text, uint64_t max, uint64_t& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty() && value <= max;
}

}  // namespace

std::string HandsetUsage()
{
    return "Usage: vant-handset [options]\n"
           "Serves a virtual handset on a pseudo-terminal, prints its path and runs until interrupted.\n"
           "  --root DIR              serve the PC directory DIR (default: the demo tree)\n"
           "  --capacity BYTES        file system capacity\n"
           "  --speeds 38400|115200|both   line rates it understands (default both)\n"
           "  --download-mode         a phone in download mode\n"
           "  --stream-download-mode  a phone in stream-download mode\n"
           "  --data-phone            needs the modem command before it speaks DM\n"
           "  --no-efs                no EFS support\n"
           "  --no-iteration          no directory iteration subcommands\n"
           "  --used-zero             reports a used figure of 0\n"
           "  --silent                answers nothing\n"
           "  --reset-absence MS      silence after a reset (default 2000)\n"
           "  --noise                 junk and a damaged frame before every reply\n"
           "  --lose-every N          drops every Nth reply\n"
           "  --damage PPM            damages about PPM in a million reply bytes\n"
           "  --throttle              replies at the line rate (10 bits a byte)\n"
           "  --reply-delay MS[-MS]   waits before each reply (a random time in a range)\n"
           "  --reply-seed N          seeds the random reply delays (default 1)\n"
           "  --refuse-mode-change    refuses the offline and reset requests\n"
           "  --fail-path PATH        requests naming PATH fail (repeatable)\n"
           "  --writes-in-place       a file being written holds the blocks received so far\n"
           "  --strict-writes         keeps a write open until its last block; refuses another meanwhile\n"
           "  --write-block-limit N   refuses a write's block after the first N\n"
           "  --hostile-lengths       length fields larger than their packets\n"
           "  --hostile-long-names    listings with a 100-byte name\n"
           "  --hostile-many-entries  listings with 150 extra entries\n"
           "  --hostile-read-overrun  reads deliver more than they announce\n"
           "  --help                  this text\n";
}

std::optional<HandsetOptions> ParseHandsetOptions(const std::vector<std::string>& args, std::string& error)
{
    HandsetOptions options;
    SimBehaviour& b = options.behaviour;
    const std::map<std::string, std::function<void()>> flags = {
        {"--download-mode", [&] { b.downloadMode = SimDownloadMode::download; }},
        {"--stream-download-mode", [&] { b.downloadMode = SimDownloadMode::streamDownload; }},
        {"--data-phone", [&] { b.dataPhone = true; }},
        {"--no-efs", [&] { b.noEfs = true; }},
        {"--no-iteration", [&] { b.noIteration = true; }},
        {"--used-zero", [&] { b.usedFigureZero = true; }},
        {"--refuse-mode-change", [&] { b.refuseModeChange = true; }},
        {"--silent", [&] { b.silent = true; }},
        {"--noise", [&] { b.noise = true; }},
        {"--throttle", [&] { b.throttle = true; }},
        {"--writes-in-place", [&] { b.writesInPlace = true; }},
        {"--strict-writes", [&] { b.strictWrites = true; }},
        {"--hostile-lengths", [&] { b.hostileLengths = true; }},
        {"--hostile-long-names", [&] { b.hostileLongNames = true; }},
        {"--hostile-many-entries", [&] { b.hostileManyEntries = true; }},
        {"--hostile-read-overrun", [&] { b.hostileReadOverrun = true; }},
        {"--help", [&] { options.help = true; }},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (auto flag = flags.find(arg); flag != flags.end()) {
            flag->second();
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "unknown option or missing value: " + arg;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        uint64_t number = 0;
        if (arg == "--root") {
            options.root = value;
        } else if (arg == "--fail-path") {
            b.failingPaths.insert(value);
        } else if (arg == "--speeds") {
            if (value == "38400")
                b.speeds = SimSpeeds::only38400;
            else if (value == "115200")
                b.speeds = SimSpeeds::only115200;
            else if (value == "both")
                b.speeds = SimSpeeds::both;
            else {
                error = "--speeds takes 38400, 115200 or both";
                return std::nullopt;
            }
        } else if (const size_t dash = value.find('-');
                   arg == "--reply-delay" && dash != std::string::npos && dash != 0) {
            uint64_t high = 0;
            if (!ParseNumber(value.substr(0, dash), UINT32_MAX, number) ||
                !ParseNumber(value.substr(dash + 1), UINT32_MAX, high) || high < number) {
                error = "--reply-delay takes MS or MS-MS: " + value;
                return std::nullopt;
            }
            b.replyDelay = std::chrono::milliseconds(number);
            b.replyDelayMax = std::chrono::milliseconds(high);
        } else if (!ParseNumber(value, UINT32_MAX, number)) {
            error = "not a number for " + arg + ": " + value;
            return std::nullopt;
        } else if (arg == "--capacity") {
            options.capacity = number;
        } else if (arg == "--reset-absence") {
            b.resetAbsence = std::chrono::milliseconds(number);
        } else if (arg == "--lose-every") {
            b.loseEveryNthReply = static_cast<unsigned>(number);
        } else if (arg == "--damage") {
            b.damagedBytesPerMillion = static_cast<unsigned>(std::min<uint64_t>(number, 1000000));
        } else if (arg == "--reply-delay") {
            b.replyDelay = std::chrono::milliseconds(number);
        } else if (arg == "--reply-seed") {
            b.replySeed = static_cast<unsigned>(number);
        } else if (arg == "--write-block-limit") {
            b.writeBlockLimit = static_cast<unsigned>(number);
        } else {
            error = "unknown option: " + arg;
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace sim
