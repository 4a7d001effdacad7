#include "console/progress_line.h"

#include <cinttypes>
#include <cstdio>

#include "modules/transfer_progress.h"
#include "platform/console_stream.h"
#include "report/reporter.h"

namespace {

constexpr auto redrawPeriod = std::chrono::milliseconds(100);
constexpr const char* eraseLine = "\r\033[K";

}  // namespace

CProgressLine::CProgressLine() : active(EnableTerminalSequences(StandardStream::error))
{
    if (!active)
        return;
    SetTransferProgressHandler([this](const std::string& fileName, uint64_t done,
                                      uint64_t total) { Update(fileName, done, total); });
    SetConsoleOutputListener([this] { Erase(); });
}

CProgressLine::~CProgressLine()
{
    if (!active)
        return;
    SetTransferProgressHandler({});
    SetConsoleOutputListener({});
    Erase();
}

void CProgressLine::Erase()
{
    if (drawn) {
        std::fputs(eraseLine, stderr);
        std::fflush(stderr);
    }
    drawn = false;
}

void CProgressLine::Update(const std::string& fileName, uint64_t done, uint64_t total)
{
    const auto now = Clock::now();
    if (fileName != currentFile) {
        currentFile = fileName;
        fileStarted = now;
    } else if (drawn && done < total && now - lastDrawn < redrawPeriod) {
        return;
    }
    if (done >= total) {
        Erase();
        return;
    }
    if (!belowOutput)
        std::fputc('\n', stderr);
    belowOutput = true;
    lastDrawn = now;
    drawn = true;
    const double seconds = std::chrono::duration<double>(now - fileStarted).count();
    const auto rate = seconds > 0 ? static_cast<uint64_t>(static_cast<double>(done) / seconds) : 0;
    const uint64_t percent = done * 100 / total;
    std::fprintf(stderr, "%s%s  %" PRIu64 " of %" PRIu64 " bytes  %" PRIu64 "%%  %" PRIu64 " B/s",
                 eraseLine, currentFile.c_str(), done, total, percent, rate);
    std::fflush(stderr);
}
