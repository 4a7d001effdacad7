// A terminal belongs to whoever started the program; there is nothing to give up.
#include "app/console_release.h"

void ReleaseOwnConsole() {}
