// The size mode of the tree and list (actual or allocated bytes); main thread only.
#pragma once

#include "session/command_ids.h"

extern int SizeDisplayMode;  // sizeModeActual (the start value) or sizeModeAllocated
