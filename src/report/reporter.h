// The one way the system tells the user anything: messages by code, path messages, yes/no
// questions and the memory-exhaustion exit. Every layer reports through here; the window front
// end plugs in its message box and question dialog as callbacks, so nothing here knows Qt.
#pragma once

#include <functional>
#include <string>

#include "report/app_messages.h"

// 0: console (print on standard output); 1: message box; anything else: silent.
constexpr int outputModeConsole = 0;
constexpr int outputModeMessageBox = 1;

// Process-wide reporting state; written and read on the main thread only.
extern int OutputMode;
extern bool ReportEnabled;
extern bool EfsStatsAvailable;

// Reports one table entry: nothing while ReportEnabled is false or for a code outside the table;
// "\n\n%s\n" on standard output (then flushed) in console mode; a message box in window mode.
void ReportAppMessage(AppMessage code);

// Reports "<text of code>:\n<path>" under the same rules as ReportAppMessage.
void ReportPathMessage(AppMessage code, const std::string& path);

// Reports an arbitrary text under the same rules as ReportAppMessage.
void ReportText(const std::string& text);

// Asks a yes/no question. Console: prints consoleText (which ends "(y/n)?[y] "), reads one
// character and discards the rest of that line; only n or N mean no, and end of input means yes.
// Window: the installed question callback gets windowText. Silent mode answers yes.
bool AskYesNo(const std::string& consoleText, const std::string& windowText);

using MessageBoxHandler = std::function<void(const std::string& text)>;
using QuestionHandler = std::function<bool(const std::string& text)>;

// Installed by the window front end at start-up; an empty function removes the handler.
void SetMessageBoxHandler(MessageBoxHandler handler);
void SetQuestionHandler(QuestionHandler handler);

// Called before a message or question is printed in console mode, so a line another stream has
// drawn on the same terminal (the progress line) is cleared first; empty removes it.
void SetConsoleOutputListener(std::function<void()> listener);

// Memory exhaustion anywhere: report msgMemoryFailure, flush, and end the process at once with exit
// status 0 without running destructors (link threads may still be alive).
[[noreturn]] void ExitOnMemoryExhaustion();

// Makes every failed operator new end the process through ExitOnMemoryExhaustion.
void InstallMemoryExhaustionHandler();
