// The bench: one operation on many handsets from one window, as plain data the window renders.
// It runs the operation on the ports it is given, each handset on its own session and thread;
// keeps one row per handset across retries; stops and rolls back every handset of its own
// without touching any other session of the process; repeats the operation on the failed rows
// alone; and, while a watch is on, serves each handset that appears in a folder of device links.
// Every method is called from one thread (the window's); the sessions' events arrive on theirs.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fleet/bench_jobs.h"
#include "fleet/fleet_run.h"

struct CBenchRow {
    CFleetRow row;       // the latest attempt's row
    std::string detail;  // why it failed (the first message it reported), or what it listed
    bool detailIsMessage = false;
    unsigned attempts = 0;
};

// The row's result as the bench shows it: the result text, then the detail when it adds to it;
// empty while the handset works.
std::string BenchResultText(const CBenchRow& row);

// The summary as CSV: a heading line, then port, model, result (ok or failed), result text and
// seconds for every row, fields quoted where they need it.
std::string BenchSummaryCsv(const std::vector<CBenchRow>& rows);

// The ports a bench start takes: those typed (as on the console, "SIM,SIM" or "COM3,COM4") and
// those ticked, in that order. The port the main window holds is refused when typed and left out
// when ticked (heldPort: its name or device path, empty for none).
CPortList BenchPorts(const std::string& typed, const std::vector<std::string>& ticked,
                     const std::string& heldPort);

class CBench {
public:
    explicit CBench(const LinkTiming& timing = LinkTiming());
    ~CBench();  // stops every handset and the watch, and waits for them
    CBench(const CBench&) = delete;
    CBench& operator=(const CBench&) = delete;

    // Starts request on ports, the rows of an earlier start replaced, and when watchFolder is
    // not empty serves every handset that appears there until EndWatch or Stop. Returns the
    // refusal ("" when it started): a request that fails its checks, no port and no watch, a
    // folder that cannot be watched, or a start while handsets still run.
    std::string Start(const CBenchRequest& request, const std::vector<CFleetPort>& ports,
                      const std::string& watchFolder = {});
    // Repeats the last request on the rows that failed, each on its own row again; false when
    // none failed or handsets still run.
    bool RetryFailed();
    // Every handset of the bench stops and rolls back; the watch ends.
    void Stop();
    // The watch ends; handsets it started finish their work.
    void EndWatch();

    bool Running() const;  // a handset works or the watch is on
    bool Watching() const;
    bool AnyFailed() const;
    std::vector<CBenchRow> Rows() const;
    // Grows with every change of the rows, so a view redraws only when something changed.
    unsigned Changes() const;

private:
    void OnEvent(const CFleetEvent& event, const std::vector<CFleetRow>& rows);
    // Starts port on the current run; its events go to bench row benchRow.
    void StartOn(const CFleetPort& port, size_t benchRow);
    void Watch(std::string folder, std::shared_ptr<std::atomic<bool>> watchEnd);
    void JoinWatch();

    const LinkTiming timing;
    CBenchRequest request;
    std::unique_ptr<CFleetRun> run;
    std::mutex startLock;  // one start at a time (the window's or the watch's)
    mutable std::mutex lock;  // the rows; taken inside the run's lock, never around a run call
    std::vector<CBenchRow> rows;
    std::vector<size_t> benchRowOf;  // the current run's rows -> the bench's rows
    unsigned changes = 0;
    std::thread watcher;
    std::shared_ptr<std::atomic<bool>> watchEnd;
    std::atomic<bool> watching{false};
};
