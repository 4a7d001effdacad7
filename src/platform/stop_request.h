// A request to stop the device operation in progress in the calling thread's session
// (platform/session_context.h). The window's Cancel button sets it; the console's signal handlers
// ask every session at once. A stoppable operation (a load, delete, copy, fetch or
// tree removal) and every request sequence it runs (listings, size walks, removals, transfers)
// check it between requests and then end the way a failed operation ends, rolling back what they
// created. Requests sent outside such an operation, such as a refresh after the stop, are not
// cut short, and a clean-up holds the request back so it runs to its end.
#pragma once

struct CSessionContext;

// Asks the operation in progress in the current session to stop at its next check.
void RequestStop();

// A stop of every session at once is in platform/session_context.h.

// True once a stop was requested and not yet cleared, whether or not an operation runs.
bool StopRequested();

// The check made between requests: true when a stop was requested, a stoppable operation runs
// and no clean-up holds the request back.
bool StopDue();

// Clears the request; called when an operation starts, so an old request never stops a new one.
void ClearStopRequest();

// Marks a stoppable operation for its lifetime; operations may nest.
class CStoppableOperation {
public:
    CStoppableOperation();
    ~CStoppableOperation();
    CStoppableOperation(const CStoppableOperation&) = delete;
    CStoppableOperation& operator=(const CStoppableOperation&) = delete;

private:
    CSessionContext& context;
};

// Holds a stop request back for its lifetime without clearing it: a rollback or restore runs to
// its end, and the request is still there for the caller to report afterwards.
class CStopHold {
public:
    CStopHold();
    ~CStopHold();
    CStopHold(const CStopHold&) = delete;
    CStopHold& operator=(const CStopHold&) = delete;

private:
    CSessionContext& context;
};

// Whether the user is being asked a question (process-wide: there is one user): nothing has
// changed yet, so a stop then may end the process at once instead of waiting for the answer.
// Async-signal-safe.
void SetQuestionWaiting(bool waiting);
bool QuestionWaiting();

// The link counts here every frame it receives and every attempt it writes while frames still
// come, so a watchdog can tell a hung line (no count for a long time) from a clean-up that still
// advances, even on a noisy line where attempts keep failing. Counts in the given session and in the process total.
void NoteLinkProgress(CSessionContext& context);
// Counts in the current session.
void NoteLinkProgress();
// Every session's count together. Async-signal-safe.
unsigned LinkProgress();
