// Free and total EFS space in KB, as the console's statistics and the window's status bar show.
#pragma once

class CDiagPort;

// free = free bytes / 1024; total = free + used bytes / 1024 (each division truncates on its
// own). Both are 0 on failure; a null link reports msgInvalidPortHandle.
bool QueryEfsMemory(CDiagPort* port, int* freeKb, int* totalKb);
