// The commands a console run performs on a connected handset, shared by the command-line
// options and the interactive prompt. Each reports its result as the console does.
#pragma once

#include <string>

#include "report/app_messages.h"
#include "session/handset_connect.h"

class CDiagPort;

AppMessage ListModulesCommand(CDiagPort* port);
AppMessage DeleteModuleCommand(CDiagPort* port, const std::string& moduleName);
AppMessage LoadModuleCommand(CDiagPort* port, const std::string& dir, const std::string& name);
AppMessage LoadPendingCommand(CDiagPort* port, const std::string& pcFile);
AppMessage FetchFileCommand(CDiagPort* port, const std::string& deviceFile, const std::string& pcDir);
AppMessage OfflineCommand(CDiagPort* port);
AppMessage ResetCommand(CDiagPort* port);

// Prints "Mem free/total: ..." or reports msgNoMemoryFigures; returns msgSuccess or
// msgNoMemoryFigures.
AppMessage StatisticsCommand(CDiagPort* port);

// Prints a connection stage as the console shows it: a line, one dot per wait period.
void ShowConnectStage(const std::string& portName, ConnectStage stage);

// Reports code unless it is one of the codes a command leaves unreported.
AppMessage Reported(AppMessage code);
