// Moved to session/connection_status.h with the other plain rules; this name stays for code that includes it
// from the window's folder.
#pragma once

#include "session/connection_status.h"
