// Several handsets at once: one session and one thread per port, each in its own session
// context, so a handset's statistics flag, messages, stop request and progress stay its own. The
// run keeps a row of plain data per handset and tells a listener of every event in order; the
// front ends render the rows and events (a table, prefixed lines, JSON Lines, a bench window).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fleet/port_list.h"
#include "link/link_timing.h"
#include "platform/shared_pc_files.h"
#include "report/app_messages.h"
#include "session/handset_connect.h"

class CDiagPort;

enum class FleetEventKind {
    connecting,  // the port is being opened and the handset looked for
    connected,   // model, rate and statistics
    progress,    // file, done, total
    file,        // file: one file's transfer ended (done of total)
    message,     // code and text: a message the console would report
    text,        // text: one whole line the console would print
    result,      // code, text, seconds: the handset's operation ended
};

struct CFleetEvent {
    FleetEventKind kind = FleetEventKind::text;
    size_t row = 0;
    std::string model;
    uint32_t rate = 0;
    bool statistics = false;
    std::string file;
    uint64_t done = 0;
    uint64_t total = 0;
    int code = -1;  // an AppMessage code; -1 for text without one
    std::string text;
    double seconds = 0;
};

struct CFleetRow {
    CFleetPort port;
    std::string model;
    std::string phase = "waiting";
    std::string file;         // the file in transfer
    unsigned fileNumber = 0;  // its place among the files this operation sent
    uint64_t done = 0;
    uint64_t total = 0;
    double bytesPerSecond = 0;
    bool finished = false;
    bool succeeded = false;
    int result = -1;
    std::string resultText;
    double seconds = 0;
};

// What the front end asks of every handset once it is connected.
struct CFleetJob {
    std::string workPhase;  // the row's phase while it runs: "listing", "loading", ...
    std::function<AppMessage(CDiagPort* link, const CFleetPort& port)> run;
    std::function<bool(AppMessage result)> succeeded;
    // Shows a connection stage the way the front end prints it (may be empty).
    std::function<void(const CFleetPort& port, ConnectStage stage)> connectStage;
    // A stop undoes what the job began (a load, delete or fetch), rather than just ending it.
    bool rollsBack = false;
};

// Called with the run's lock held, in the order things happened; rows as they are after it.
using FleetListener = std::function<void(const CFleetEvent& event, const std::vector<CFleetRow>& rows)>;

class CFleetRun {
public:
    CFleetRun(CFleetJob job, FleetListener listener, const LinkTiming& timing = LinkTiming());
    ~CFleetRun();  // waits for every handset
    CFleetRun(const CFleetRun&) = delete;
    CFleetRun& operator=(const CFleetRun&) = delete;

    // Adds a row for port and starts its session on a thread of its own; returns the row.
    size_t Start(const CFleetPort& port);
    // Waits until every started handset has finished.
    void WaitAll();
    // Waits up to timeout for every started handset to finish; true when they have.
    bool WaitAllFor(std::chrono::milliseconds timeout);

    std::vector<CFleetRow> Rows() const;
    // Marks the rows still running as rolling back, or stopping (after a stop of every session
    // was asked).
    void NoteStopping();

private:
    void RunSession(size_t row);
    void Emit(CFleetEvent event);
    void Progress(size_t row, const std::string& file, uint64_t done, uint64_t total,
                  std::chrono::steady_clock::time_point started, uint64_t& bytesBefore);

    const CFleetJob job;
    const FleetListener listener;
    const LinkTiming timing;
    mutable std::mutex lock;
    std::condition_variable finished;
    std::vector<CFleetRow> rows;
    std::vector<std::thread> threads;
    size_t running = 0;
    // The module's PC files, read once for every handset.
    CSharedPcFiles pcFiles;
};
