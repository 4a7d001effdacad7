#include "efs/efs_memory.h"

#include <cstdint>

#include "efs/efs_operations.h"
#include "report/reporter.h"

bool QueryEfsMemory(CDiagPort* port, int* freeKb, int* totalKb)
{
    *freeKb = 0;
    *totalKb = 0;
    if (port == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return false;
    }
    uint32_t freeBytes = 0;
    uint32_t usedBytes = 0;
    if (!EfsGetFreeSpace(port, &freeBytes) || !EfsGetUsedSpace(port, &usedBytes))
        return false;
    const uint32_t freeK = freeBytes >> 10;
    *freeKb = static_cast<int>(freeK);
    *totalKb = static_cast<int>(freeK + (usedBytes >> 10));
    return true;
}
