#include "platform/stop_request.h"

#include <atomic>

#include "platform/session_context.h"

namespace {
// Lock-free, so a signal handler may set and read them.
std::atomic<bool> questionWaiting{false};
std::atomic<unsigned> linkProgressTotal{0};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<unsigned>::is_always_lock_free);
}  // namespace

void RequestStop() { CurrentSessionContext().stopRequested.store(true, std::memory_order_relaxed); }

bool StopRequested()
{
    const CSessionContext& context = CurrentSessionContext();
    return context.stopRequested.load(std::memory_order_relaxed) ||
           context.everywhereCleared.load(std::memory_order_relaxed) != StopEverywhereCount();
}

bool StopDue()
{
    const CSessionContext& context = CurrentSessionContext();
    if (context.operationDepth.load(std::memory_order_relaxed) == 0)
        return false;
    return StopRequested() && context.holdDepth.load(std::memory_order_relaxed) == 0;
}

void ClearStopRequest()
{
    CSessionContext& context = CurrentSessionContext();
    context.stopRequested.store(false, std::memory_order_relaxed);
    context.everywhereCleared.store(StopEverywhereCount(), std::memory_order_relaxed);
}

CStoppableOperation::CStoppableOperation() : context(CurrentSessionContext())
{
    context.operationDepth.fetch_add(1, std::memory_order_relaxed);
}

CStoppableOperation::~CStoppableOperation()
{
    context.operationDepth.fetch_sub(1, std::memory_order_relaxed);
}

CStopHold::CStopHold() : context(CurrentSessionContext())
{
    context.holdDepth.fetch_add(1, std::memory_order_relaxed);
}

CStopHold::~CStopHold() { context.holdDepth.fetch_sub(1, std::memory_order_relaxed); }

void SetQuestionWaiting(bool waiting) { questionWaiting.store(waiting, std::memory_order_relaxed); }

bool QuestionWaiting() { return questionWaiting.load(std::memory_order_relaxed); }

void NoteLinkProgress(CSessionContext& context)
{
    context.linkProgress.fetch_add(1, std::memory_order_relaxed);
    linkProgressTotal.fetch_add(1, std::memory_order_relaxed);
}

void NoteLinkProgress() { NoteLinkProgress(CurrentSessionContext()); }

unsigned LinkProgress() { return linkProgressTotal.load(std::memory_order_relaxed); }
