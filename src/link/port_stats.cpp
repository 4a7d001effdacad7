#include "link/port_stats.h"

#include "link/text_format.h"

namespace {

// No link records more first codes once this many have been recorded in the whole process.
std::atomic<int32_t> processFirstCodes{0};

bool ReserveProcessFirstCode()
{
    int32_t recorded = processFirstCodes.load();
    while (recorded < firstCodesCapacity)
        if (processFirstCodes.compare_exchange_weak(recorded, recorded + 1))
            return true;
    return false;
}

}  // namespace

void CPortStats::CountCommand(const CDiagCommand& record)
{
    if (record.encoding == encRaw)
        atCommands.fetch_add(1);
    else if (record.type == cmdTypeProbe)
        pollingPackets.fetch_add(1);
    else if (IsDiagKind(record.linkKind))
        diagPackets.fetch_add(1);
    else if (IsDownloadKind(record.linkKind))
        downloadPackets.fetch_add(1);

    if (record.encoding == encFramed && IsDiagKind(record.linkKind) && !record.frame.empty() &&
        firstCount < firstCodesCapacity && ReserveProcessFirstCode())
        firstCodes[static_cast<size_t>(firstCount++)] = record.frame[0];
}

std::string FormatStatsDump(const CPortStats& stats)
{
    std::string out;
    AppendFormatted(out, "\n\nDumping Stats for the port -->\n");
    AppendFormatted(out, "-- Total Bytes Sent   = %6d\n", stats.bytesSent.load());
    AppendFormatted(out, "-- Total Bytes Recved = %6d\n\n", stats.bytesReceived.load());
    AppendFormatted(out, "-- Polling  packets   = %5d\n", stats.pollingPackets.load());
    AppendFormatted(out, "-- Diag     packets   = %5d\n", stats.diagPackets.load());
    AppendFormatted(out, "-- Download packets   = %5d\n", stats.downloadPackets.load());
    AppendFormatted(out, "-- Data     AT cmds   = %5d\n", stats.atCommands.load());
    AppendFormatted(out, "-- Replies  taken     = %5d\n", stats.repliesTaken.load());
    AppendFormatted(out, "-- Stray    replies   = %5d\n", stats.strayReplies.load());
    AppendFormatted(out, "-- Unasked  packets   = %5d\n", stats.unsolicitedPackets.load());
    AppendFormatted(out, "\nThe first diag commands sent: ");
    std::string line;
    for (int32_t i = 0; i < stats.firstCount && i < firstCodesCapacity; ++i) {
        const int code = stats.firstCodes[static_cast<size_t>(i)];
        if (i % 16 == 0) {
            out += line;
            line.clear();
            AppendFormatted(line, "\n%03d: %2d", i, code);
        } else {
            AppendFormatted(line, "  %2d", code);
        }
    }
    out += line;
    AppendFormatted(out, "\n\n");
    AppendFormatted(out, "End dump...\n\n");
    return out;
}
