#include "platform/stop_request.h"

#include <atomic>

namespace {
// Lock-free, so a signal handler may set and read them.
std::atomic<bool> stopRequested{false};
std::atomic<bool> questionWaiting{false};
std::atomic<unsigned> linkProgress{0};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<unsigned>::is_always_lock_free);

// Nesting depths, touched by the thread that runs the operation.
std::atomic<int> operationDepth{0};
std::atomic<int> holdDepth{0};
}  // namespace

void RequestStop() { stopRequested.store(true, std::memory_order_relaxed); }

bool StopRequested() { return stopRequested.load(std::memory_order_relaxed); }

bool StopDue()
{
    if (operationDepth.load(std::memory_order_relaxed) == 0)
        return false;
    return StopRequested() && holdDepth.load(std::memory_order_relaxed) == 0;
}

void ClearStopRequest() { stopRequested.store(false, std::memory_order_relaxed); }

CStoppableOperation::CStoppableOperation() { operationDepth.fetch_add(1, std::memory_order_relaxed); }

CStoppableOperation::~CStoppableOperation() { operationDepth.fetch_sub(1, std::memory_order_relaxed); }

CStopHold::CStopHold() { holdDepth.fetch_add(1, std::memory_order_relaxed); }

CStopHold::~CStopHold() { holdDepth.fetch_sub(1, std::memory_order_relaxed); }

void SetQuestionWaiting(bool waiting) { questionWaiting.store(waiting, std::memory_order_relaxed); }

bool QuestionWaiting() { return questionWaiting.load(std::memory_order_relaxed); }

void NoteLinkProgress() { linkProgress.fetch_add(1, std::memory_order_relaxed); }

unsigned LinkProgress() { return linkProgress.load(std::memory_order_relaxed); }
