// Moved to session/command_table.h with the other plain rules; this name stays for code that includes it
// from the window's folder.
#pragma once

#include "session/command_table.h"
