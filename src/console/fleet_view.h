// How the console shows a run on several handsets: a live table on a terminal, each handset's
// usual lines prefixed "[PORT] " elsewhere, or JSON Lines for scripts; then a summary with the
// command that repeats the operation on the failed ports alone.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "fleet/fleet_run.h"

enum class FleetViewKind { table, lines, json };

// One JSON Lines object for event (schema: docs/json-lines.md), without the line end.
std::string FleetJsonLine(const CFleetEvent& event, const std::vector<CFleetRow>& rows);

// The live table's text for rows: one line per handset, the heading first.
std::string FleetTableText(const std::vector<CFleetRow>& rows);

// The summary: a line per handset (port, result, seconds), the counts, and, when some failed,
// the command that repeats the operation on them alone (retryArguments: the option and its
// arguments; json: whether the run had --json).
std::string FleetSummaryText(const std::vector<CFleetRow>& rows,
                             const std::vector<std::string>& retryArguments, bool json);

// The retry command for the failed rows; empty when none failed.
std::string FleetRetryCommand(const std::vector<CFleetRow>& rows,
                              const std::vector<std::string>& retryArguments, bool json);

// Prints a run's events as kind says. The table is redrawn by Tick (at most ten times a second);
// lines and JSON are written as the events come.
class CFleetView {
public:
    explicit CFleetView(FleetViewKind kind);
    void OnEvent(const CFleetEvent& event, const std::vector<CFleetRow>& rows);
    // Redraws the table when it changed and a tenth of a second has passed since the last.
    void Tick(const std::vector<CFleetRow>& rows, bool force = false);

private:
    const FleetViewKind kind;
    std::string drawnText;
    size_t drawnLines = 0;
    std::chrono::steady_clock::time_point lastDrawn;
};
