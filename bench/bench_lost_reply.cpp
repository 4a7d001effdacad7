// What one lost reply costs: a module load (20 KB), a 300-entry listing and a 20 KB fetch, each
// once on a clean line and once with one reply in its middle lost, against the virtual handset.
// The extra time, over the lost request's own time-out plus 1 s (goal: each at most 1).
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "bench_handset.h"
#include "efs/efs_operations.h"
#include "modules/module_list.h"
#include "modules/module_load.h"
#include "report/reporting_off.h"

using namespace bench;
namespace fs = std::filesystem;

namespace {

struct Row {
    const char* name;
    uint8_t subcommand;  // of the request whose reply is lost
    unsigned occurrence;
    uint32_t timeoutMs;  // that request's time-out
};

double Timed(const std::function<bool()>& work)
{
    const auto started = Clock::now();
    return work() ? Seconds(Clock::now() - started) : -1;
}

}  // namespace

int main()
{
    char pattern[] = "/tmp/bench_lost_reply_XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 1;
    const fs::path pc = pattern;
    fs::create_directories(pc / "golf");
    const auto data = Pattern(20000);
    std::ofstream(pc / "golf/golf.mif", std::ios::binary) << "golf module information";
    std::ofstream(pc / "golf/golf.mod", std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));

    BenchLink handset;
    if (!handset.Start(false)) {
        std::fprintf(stderr, "bench_lost_reply: the handset did not come up\n");
        return 1;
    }
    handset.MakeDir("/data");
    handset.MakeDir("/many");
    handset.PutFile("/data/big", data);
    for (int i = 0; i < 300; ++i)
        handset.PutFile("/many/entry" + std::to_string(i), {});
    CDiagPort* port = handset.port.get();
    CReportingOff quiet;

    const auto load = [&] {
        const bool loaded = LoadModule(port, (pc / "golf").string(), "golf") == msgModuleLoaded;
        return DeleteModule(port, "golf") == msgModuleDeleted && loaded;
    };
    const auto list = [&] {
        EfsNameList names;
        return EfsListFiles(port, "/many", &names) && names.size() == 300;
    };
    const auto fetch = [&] { return EfsReadFile(port, "/data/big").value_or(std::vector<uint8_t>{}) == data; };
    const struct {
        Row row;
        std::function<bool()> work;
    } rows[] = {
        {{"load", efsWriteFile, 40, efsWriteBlockTimeoutMs}, load},
        {{"listing", efsIterateFiles, 150, efsIterateStepTimeoutMs}, list},
        {{"fetch", efsReadFile, 1, efsReadFirstTimeoutMs}, fetch},
    };
    int failed = 0;
    for (const auto& [row, work] : rows) {
        const double clean = Timed(work);
        handset.host->UpdateBehaviour([&](sim::SimBehaviour& b) {
            b.chosenReplies = {{{efsCommandCode, row.subcommand}, {}, row.occurrence, sim::SimReplyFault::lose}};
        });
        const double lossy = Timed(work);
        handset.host->UpdateBehaviour([](sim::SimBehaviour& b) { b.chosenReplies.clear(); });
        if (clean < 0 || lossy < 0) {
            std::fprintf(stderr, "bench_lost_reply: the %s failed (%s)\n", row.name, clean < 0 ? "clean" : "one reply lost");
            failed = 1;
            continue;
        }
        const double allowed = row.timeoutMs / 1000.0 + 1;
        std::printf("lost reply: %-7s clean %.2f s, one reply lost %.2f s, extra %.2f s / (time-out %.1f s + 1 s) = %.2f (goal <= 1)\n",
                    row.name, clean, lossy, lossy - clean, row.timeoutMs / 1000.0, (lossy - clean) / allowed);
    }
    fs::remove_all(pc);
    return failed;
}
