#include "fleet/fleet_run.h"

#include <utility>

#include "link/diag_port.h"
#include "platform/session_context.h"
#include "platform/stop_request.h"
#include "report/reporter.h"

namespace {

using Clock = std::chrono::steady_clock;

CFleetEvent Event(FleetEventKind kind, size_t row)
{
    CFleetEvent event;
    event.kind = kind;
    event.row = row;
    return event;
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Cuts a session's console text into whole lines; empty lines (the spacing around messages)
// carry nothing on their own and are dropped.
class CLineCutter {
public:
    template <typename Sink>
    void Add(const std::string& text, Sink sink)
    {
        for (char c : text) {
            if (c != '\n') {
                pending += c;
                continue;
            }
            if (!pending.empty())
                sink(pending);
            pending.clear();
        }
    }
    template <typename Sink>
    void Flush(Sink sink)
    {
        if (!pending.empty())
            sink(pending);
        pending.clear();
    }

private:
    std::string pending;
};

}  // namespace

CFleetRun::CFleetRun(CFleetJob fleetJob, FleetListener fleetListener, const LinkTiming& linkTiming)
    : job(std::move(fleetJob)), listener(std::move(fleetListener)), timing(linkTiming)
{
}

CFleetRun::~CFleetRun()
{
    WaitAll();
    for (std::thread& thread : threads)
        thread.join();
}

size_t CFleetRun::Start(const CFleetPort& port)
{
    std::lock_guard guard(lock);
    const size_t row = rows.size();
    rows.push_back(CFleetRow{});
    rows.back().port = port;
    contexts.push_back(nullptr);
    ++running;
    threads.emplace_back([this, row] { RunSession(row); });
    return row;
}

void CFleetRun::WaitAll()
{
    std::unique_lock guard(lock);
    finished.wait(guard, [this] { return running == 0; });
}

bool CFleetRun::WaitAllFor(std::chrono::milliseconds timeout)
{
    std::unique_lock guard(lock);
    return finished.wait_for(guard, timeout, [this] { return running == 0; });
}

std::vector<CFleetRow> CFleetRun::Rows() const
{
    std::lock_guard guard(lock);
    return rows;
}

void CFleetRun::NoteStopping()
{
    std::lock_guard guard(lock);
    for (CFleetRow& row : rows)
        if (!row.finished)
            row.phase = StoppingPhase();
}

std::string CFleetRun::StoppingPhase() const
{
    return job.rollsBack ? "rolling back" : "stopping";
}

void CFleetRun::Stop()
{
    std::lock_guard guard(lock);
    stopped = true;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (contexts[row] != nullptr)
            contexts[row]->stopRequested.store(true, std::memory_order_relaxed);
        if (!rows[row].finished)
            rows[row].phase = StoppingPhase();
    }
}

void CFleetRun::Emit(CFleetEvent event)
{
    std::lock_guard guard(lock);
    CFleetRow& row = rows[event.row];
    switch (event.kind) {
    case FleetEventKind::connecting:
        row.phase = "connecting";
        break;
    case FleetEventKind::connected:
        row.model = event.model;
        row.phase = job.workPhase;
        break;
    case FleetEventKind::progress:
        if (event.file != row.file || event.done < row.done) {
            row.file = event.file;
            ++row.fileNumber;
        }
        row.done = event.done;
        row.total = event.total;
        row.phase = job.workPhase + " file " + std::to_string(row.fileNumber);
        break;
    case FleetEventKind::result:
        row.finished = true;
        row.succeeded = job.succeeded && job.succeeded(static_cast<AppMessage>(event.code));
        row.result = event.code;
        row.resultText = event.text;
        row.seconds = event.seconds;
        row.phase = row.succeeded ? "done" : "failed";
        break;
    default:
        break;
    }
    if (stopped && !row.finished)
        row.phase = StoppingPhase();
    if (listener)
        listener(event, rows);
}

void CFleetRun::Progress(size_t row, const std::string& file, uint64_t done, uint64_t total,
                         Clock::time_point started, uint64_t& bytesBefore)
{
    {
        std::lock_guard guard(lock);
        CFleetRow& shown = rows[row];
        if (file != shown.file || done < shown.done)
            bytesBefore += shown.done;  // the file before this one is over
        const double seconds = SecondsSince(started);
        if (seconds > 0)
            shown.bytesPerSecond = static_cast<double>(bytesBefore + done) / seconds;
    }
    CFleetEvent event = Event(FleetEventKind::progress, row);
    event.file = file;
    event.done = done;
    event.total = total;
    Emit(event);
    if (done == total) {
        event.kind = FleetEventKind::file;
        Emit(event);
    }
}

void CFleetRun::RunSession(size_t row)
{
    const auto started = Clock::now();
    CFleetPort port;
    {
        std::lock_guard guard(lock);
        port = rows[row].port;
    }
    CLineCutter lines;
    auto emitLine = [this, row](const std::string& line) {
        CFleetEvent event = Event(FleetEventKind::text, row);
        event.text = line;
        Emit(event);
    };
    // Everything this handset's session reports or prints becomes its own events.
    CSessionContext context;
    context.outputMode = outputModeConsole;
    context.consoleText = [&lines, &emitLine](const std::string& text) { lines.Add(text, emitLine); };
    context.reportedMessage = [this, row, &lines, &emitLine](int code, const std::string& text) {
        lines.Flush(emitLine);
        CFleetEvent event = Event(FleetEventKind::message, row);
        event.code = code;
        event.text = text;
        Emit(event);
    };
    context.sharedPcFiles = &pcFiles;
    uint64_t bytesBefore = 0;
    context.transferProgress = [this, row, started, &bytesBefore](const std::string& file, uint64_t done,
                                                                   uint64_t total) {
        Progress(row, file, done, total, started, bytesBefore);
    };
    AppMessage result = msgSuccess;
    {
        std::lock_guard guard(lock);
        contexts[row] = &context;
        if (stopped)
            context.stopRequested.store(true, std::memory_order_relaxed);
    }
    {
        CSessionContextScope scope(context);
        // The whole visit is one stoppable operation: a stop ends the wait for the handset too.
        CStoppableOperation operation;
        Emit(Event(FleetEventKind::connecting, row));
        CConnection connection = ConnectHandset(port.name, timing, [&](ConnectStage stage) {
            if (job.connectStage)
                job.connectStage(port, stage);
        });
        lines.Flush(emitLine);
        if (connection.result != msgSuccess) {
            result = connection.result;
            ReportAppMessage(result);
        } else {
            CFleetEvent connected = Event(FleetEventKind::connected, row);
            connected.model = connection.link->Detection().PhoneModel();
            connected.rate = connection.link->Detection().CurrentRate();
            connected.statistics = EfsStatsAvailable;
            Emit(connected);
            result = job.run(connection.link.get(), port);
        }
        lines.Flush(emitLine);
        // The link closes here, before the row says the handset is done with.
    }
    {
        std::lock_guard guard(lock);
        contexts[row] = nullptr;
    }
    CFleetEvent ended = Event(FleetEventKind::result, row);
    ended.code = result;
    const char* text = AppMessageText(result);
    ended.text = text != nullptr ? text : "";
    ended.seconds = SecondsSince(started);
    Emit(ended);
    std::lock_guard guard(lock);
    --running;
    finished.notify_all();
}
