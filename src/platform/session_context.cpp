#include "platform/session_context.h"

#include "platform/stop_request.h"

namespace {
thread_local CSessionContext* boundContext = nullptr;
}  // namespace

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
