#include "modules/transfer_progress.h"

#include <utility>

namespace {

TransferProgressHandler progressHandler;

}  // namespace

void SetTransferProgressHandler(TransferProgressHandler handler)
{
    progressHandler = std::move(handler);
}

void ReportTransferProgress(const std::string& fileName, uint64_t done, uint64_t total)
{
    if (progressHandler)
        progressHandler(fileName, done, total);
}
