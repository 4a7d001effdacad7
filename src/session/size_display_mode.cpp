#include "session/size_display_mode.h"

int SizeDisplayMode = sizeModeActual;
