// Copying one file from the handset into a directory on the PC.
#pragma once

#include <string>

#include "report/app_messages.h"

class CDiagPort;

// Reads deviceName from the handset and stores it under its own name in pcPath, which names a
// directory on entry and holds the destination file's path on return. Asks before replacing an
// existing file, and never destroys that file on a failure: the blocks are written to a
// temporary file beside it as they arrive, which is synced and renamed over it only once
// complete. A folder that cannot take the temporary file fails (msgCannotOpenPcFile) before any
// request. Returns msgSuccess, msgFetchStopped (the user kept the existing file, or stopped the
// fetch), msgInvalidPortHandle, msgCannotReadDeviceFile (also for an empty name),
// msgCannotOpenPcFile or msgCannotWritePcFile; reports nothing.
AppMessage FetchFile(CDiagPort* port, const std::string& deviceName, std::string& pcPath);
