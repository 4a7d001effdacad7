// Copying one file from the handset into a directory on the PC.
#pragma once

#include <string>

#include "report/app_messages.h"

class CDiagPort;

// Reads deviceName from the handset and stores it under its own name in pcPath, which names a
// directory on entry and holds the destination file's path on return. Asks before replacing an
// existing file, and never destroys that file on a failure: the blocks are written to a
// temporary file beside it as they arrive, which is synced and renamed over it only once
// complete. A folder that cannot take the temporary file fails (41) before any request.
// Returns 0, 4 (the user kept the existing file, or stopped the fetch), 11, 36 (also for an
// empty name), 41 or 43; reports nothing.
AppMessage FetchFile(CDiagPort* port, const std::string& deviceName, std::string& pcPath);
