// The interactive prompt: runs typed commands on one open connection until "q", "quit",
// "exit" or the end of standard input.
#pragma once

class CDiagPort;

void RunInteractiveMode(CDiagPort* port);
