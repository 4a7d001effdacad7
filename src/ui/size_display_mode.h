// Moved to session/size_display_mode.h with the other plain rules; this name stays for code that includes it
// from the window's folder.
#pragma once

#include "session/size_display_mode.h"
