#include "fleet/bench.h"

#include <cstdio>
#include <utility>

#include "platform/port_names.h"
#include "platform/port_watch.h"
#include "session/text_trim.h"

namespace {

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// Whether name opens the device the main window holds. Virtual handsets are each their own.
bool Held(const std::string& name, const std::string& heldPort)
{
    if (heldPort.empty() || PortLabel(name) == "SIM")
        return false;
    const std::string device = ResolvePortName(name);
    return name == heldPort || device == heldPort || device == ResolvePortName(heldPort);
}

}  // namespace

CPortList BenchPorts(const std::string& typed, const std::vector<std::string>& ticked,
                     const std::string& heldPort)
{
    // Spaces around the commas are the field's, not the names'.
    std::string text;
    for (size_t start = 0;;) {
        const size_t comma = typed.find(',', start);
        if (start != 0)
            text += ',';
        text += Trim(typed.substr(start, comma == std::string::npos ? comma : comma - start), " \t");
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    for (const std::string& name : ticked)
        if (!Held(name, heldPort))
            text += (text.empty() ? "" : ",") + name;
    if (text.empty())
        return {};
    CPortList list = ParsePortList(text);
    for (const CFleetPort& port : list.ports)
        if (list.refusal.empty() && Held(port.name, heldPort))
            list.refusal = "Error - Port " + port.name + " is in use by the main window";
    if (!list.refusal.empty())
        list.ports.clear();
    return list;
}

std::string BenchResultText(const CBenchRow& row)
{
    if (!row.row.finished)
        return {};
    std::string text = row.row.resultText.empty() ? (row.row.succeeded ? "Done" : "Failed") : row.row.resultText;
    if (!row.detail.empty() && row.detail != row.row.resultText)
        text += ": " + row.detail;
    return text;
}

std::string BenchSummaryCsv(const std::vector<CBenchRow>& rows)
{
    std::string csv = "port,model,result,text,seconds\r\n";
    for (const CBenchRow& row : rows) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", row.row.seconds);
        const char* result = !row.row.finished ? "unfinished" : row.row.succeeded ? "ok" : "failed";
        csv += CsvField(row.row.port.shown) + "," + CsvField(row.row.model) + "," + result + "," +
               CsvField(BenchResultText(row)) + "," + seconds + "\r\n";
    }
    return csv;
}

CBench::CBench(const LinkTiming& linkTiming) : timing(linkTiming) {}

CBench::~CBench()
{
    Stop();
    run.reset();  // waits for every handset's rollback
}

std::string CBench::Start(const CBenchRequest& newRequest, const std::vector<CFleetPort>& ports,
                          const std::string& watchFolder)
{
    if (Running())
        return "Error - The bench is still running";
    const AppMessage check = CheckBenchRequest(newRequest);
    if (check != msgSuccess)
        return AppMessageText(check);
    if (ports.empty() && watchFolder.empty())
        return "Error - No port given";
    std::unique_ptr<CPortWatch> watch;
    if (!watchFolder.empty()) {
        watch = std::make_unique<CPortWatch>(watchFolder);
        if (!watch->Valid())
            return "Error - Cannot watch the folder " + watchFolder;
    }
    JoinWatch();
    run.reset();
    request = newRequest;
    run = std::make_unique<CFleetRun>(
        BenchJob(request), [this](const CFleetEvent& event, const std::vector<CFleetRow>& now) { OnEvent(event, now); },
        timing);
    {
        std::lock_guard guard(lock);
        rows.clear();
        benchRowOf.clear();
        ++changes;
    }
    for (const CFleetPort& port : ports) {
        size_t benchRow = 0;
        {
            std::lock_guard guard(lock);
            benchRow = rows.size();
            rows.emplace_back();
        }
        StartOn(port, benchRow);
    }
    if (watch) {
        watchEnd = std::make_shared<std::atomic<bool>>(false);
        watching = true;
        watcher = std::thread([this, end = watchEnd, w = std::shared_ptr<CPortWatch>(std::move(watch))] {
            // Until the watch ends, every port that appears is served once per appearance.
            while (!end->load()) {
                for (const std::string& name : w->Arrivals(std::chrono::milliseconds(100))) {
                    if (end->load())
                        break;
                    size_t benchRow = 0;
                    {
                        std::lock_guard guard(lock);
                        benchRow = rows.size();
                        rows.emplace_back();
                    }
                    StartOn(CFleetPort{name, PortLabel(name), name}, benchRow);
                }
            }
        });
    }
    return {};
}

void CBench::StartOn(const CFleetPort& port, size_t benchRow)
{
    std::lock_guard starting(startLock);
    {
        std::lock_guard guard(lock);
        CBenchRow& row = rows[benchRow];
        row.row = CFleetRow{};
        row.row.port = port;
        row.detail.clear();
        row.detailIsMessage = false;
        ++row.attempts;
        benchRowOf.push_back(benchRow);
        ++changes;
    }
    run->Start(port);
}

bool CBench::RetryFailed()
{
    if (Running() || !run)
        return false;
    std::vector<size_t> failed;
    {
        std::lock_guard guard(lock);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].row.finished && !rows[i].row.succeeded)
                failed.push_back(i);
    }
    if (failed.empty())
        return false;
    // A fresh run: the last one may have been stopped, and its PC files are read again.
    run.reset();
    run = std::make_unique<CFleetRun>(
        BenchJob(request), [this](const CFleetEvent& event, const std::vector<CFleetRow>& now) { OnEvent(event, now); },
        timing);
    {
        std::lock_guard guard(lock);
        benchRowOf.clear();
    }
    for (size_t benchRow : failed) {
        CFleetPort port;
        {
            std::lock_guard guard(lock);
            port = rows[benchRow].row.port;
        }
        StartOn(port, benchRow);
    }
    return true;
}

void CBench::Stop()
{
    JoinWatch();
    if (run)
        run->Stop();
}

void CBench::EndWatch() { JoinWatch(); }

void CBench::JoinWatch()
{
    if (watchEnd)
        watchEnd->store(true);
    if (watcher.joinable())
        watcher.join();
    watching = false;
}

bool CBench::Running() const
{
    return watching || (run && !run->WaitAllFor(std::chrono::milliseconds(0)));
}

bool CBench::Watching() const { return watching; }

bool CBench::AnyFailed() const
{
    std::lock_guard guard(lock);
    for (const CBenchRow& row : rows)
        if (row.row.finished && !row.row.succeeded)
            return true;
    return false;
}

std::vector<CBenchRow> CBench::Rows() const
{
    std::lock_guard guard(lock);
    return rows;
}

unsigned CBench::Changes() const
{
    std::lock_guard guard(lock);
    return changes;
}

void CBench::OnEvent(const CFleetEvent& event, const std::vector<CFleetRow>& now)
{
    std::lock_guard guard(lock);
    if (event.row >= benchRowOf.size() || event.row >= now.size())
        return;
    CBenchRow& row = rows[benchRowOf[event.row]];
    row.row = now[event.row];
    // The first message says why a handset failed; a line of text is what it listed or read.
    if (event.kind == FleetEventKind::message && !row.detailIsMessage) {
        row.detail = event.text;
        row.detailIsMessage = true;
    }
    if (event.kind == FleetEventKind::text && !row.detailIsMessage)
        row.detail = event.text;
    ++changes;
}
