// A process-wide request to stop the device operation in progress. The console's signal handlers
// and the window's Cancel button set it; the transfer and module procedures check it between
// blocks and between files and then end the way a failed operation ends, rolling back what they
// created. Setting it is async-signal-safe.
#pragma once

// Asks the operation in progress to stop at its next check.
void RequestStop();

// True once a stop was requested and not yet cleared. A true answer marks the request seen.
bool StopRequested();

// True once an operation has seen the request and is ending: a watchdog then lets it finish
// its rollback. Async-signal-safe.
bool StopSeen();

// Clears the request; called when an operation starts, so an old request never stops a new one.
void ClearStopRequest();

// Whether the user is being asked a question: nothing has changed yet, so a stop then may end the
// process at once instead of waiting for the answer. Async-signal-safe.
void SetQuestionWaiting(bool waiting);
bool QuestionWaiting();

// The link counts here every request it completes, so a watchdog can tell a hung line (no count
// for a long time) from a slow clean-up that still advances. Async-signal-safe.
void NoteLinkProgress();
unsigned LinkProgress();
