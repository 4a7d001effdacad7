// The two mode changes a user can ask for: put the handset offline, or reset it. Both watch
// the mode the polling thread detects; in console mode they print a waiting line with one dot
// per half-second period waited.
#pragma once

#include "report/app_messages.h"

class CDiagPort;

// 70 when the handset reports the offline mode, 68 when the request fails or the mode does
// not come within 30 periods; 11 for a null port.
AppMessage SetPhoneOffline(CDiagPort* port);

// 71 once the handset has left diagnostic mode and come back to it within 60 periods; 69 at
// once when it refused the request, and when it did not come back; 11 for a null port.
AppMessage ResetPhone(CDiagPort* port);
