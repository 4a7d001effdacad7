// The two mode changes a user can ask for: put the handset offline, or reset it. Both watch
// the mode the polling thread detects and tell an optional watcher how the wait goes, so a
// front end can show it (the console prints a waiting line with one dot per period).
#pragma once

#include <functional>

#include "report/app_messages.h"

class CDiagPort;

// started: the handset accepted the request and the wait begins; period: one mode-wait period
// has passed; ended: the wait is over, whatever its outcome.
enum class ModeWaitEvent { started, period, ended };
using ModeWaitWatcher = std::function<void(ModeWaitEvent)>;

// msgNowOffline when the handset reports the offline mode, msgOfflineFailed when the request
// fails or the mode does not come within 30 periods; msgInvalidPortHandle for a null port.
AppMessage SetPhoneOffline(CDiagPort* port, const ModeWaitWatcher& watcher = {});

// msgNowOnline once the handset has left diagnostic mode and come back to it within 60 periods;
// msgOnlineFailed at once when it refused the request, and when it did not come back;
// msgInvalidPortHandle for a null port.
AppMessage ResetPhone(CDiagPort* port, const ModeWaitWatcher& watcher = {});
