#include "modules/transfer_progress.h"

#include <utility>

#include "platform/session_context.h"

void SetTransferProgressHandler(TransferProgressHandler handler)
{
    CurrentSessionContext().transferProgress = std::move(handler);
}

void ReportTransferProgress(const std::string& fileName, uint64_t done, uint64_t total)
{
    if (const auto& handler = CurrentSessionContext().transferProgress)
        handler(fileName, done, total);
}
