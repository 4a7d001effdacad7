#include "platform/session_context.h"

namespace {
thread_local CSessionContext* boundContext = nullptr;
// Lock-free, so a signal handler may add to it.
std::atomic<unsigned> stopEverywhere{0};
static_assert(std::atomic<unsigned>::is_always_lock_free);
}  // namespace

void RequestStopEverywhere() { stopEverywhere.fetch_add(1, std::memory_order_relaxed); }

unsigned StopEverywhereCount() { return stopEverywhere.load(std::memory_order_relaxed); }

CSessionContext::CSessionContext() : everywhereCleared(StopEverywhereCount()) {}

CSessionContext& ProcessSessionContext()
{
    static CSessionContext context;
    return context;
}

CSessionContext& CurrentSessionContext()
{
    return boundContext ? *boundContext : ProcessSessionContext();
}

bool SessionContextBound() { return boundContext != nullptr; }

CSessionContextScope::CSessionContextScope(CSessionContext& context) : previous(boundContext)
{
    boundContext = &context;
}

CSessionContextScope::~CSessionContextScope() { boundContext = previous; }
