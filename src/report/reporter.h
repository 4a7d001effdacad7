// The one way the system tells the user anything: messages by code, path messages, yes/no
// questions and the memory-exhaustion exit. Every layer reports through here; the window front
// end plugs in its message box and question dialog as callbacks, so nothing here knows Qt.
#pragma once

#include <functional>
#include <string>

#include "platform/session_context.h"
#include "report/app_messages.h"

// 0: console (print on standard output, or the session's console text target); 1: message box;
// anything else: silent.
constexpr int outputModeConsole = 0;
constexpr int outputModeMessageBox = 1;

// A name for one field of the calling thread's session context (platform/session_context.h):
// reads and assignments reach the context of the session the thread works for.
template <typename T, T CSessionContext::*field>
class CSessionValue {
public:
    operator T() const { return CurrentSessionContext().*field; }
    const CSessionValue& operator=(T value) const
    {
        CurrentSessionContext().*field = value;
        return *this;
    }
};

// The current session's reporting state; each session reads and writes its own on its thread.
inline constexpr CSessionValue<int, &CSessionContext::outputMode> OutputMode{};
inline constexpr CSessionValue<bool, &CSessionContext::reportEnabled> ReportEnabled{};
inline constexpr CSessionValue<bool, &CSessionContext::efsStatsAvailable> EfsStatsAvailable{};

// Writes text where the current session's console output goes: its target when it has one, else
// standard output (flushed).
void WriteConsoleText(const std::string& text);

// Reports one table entry: nothing while ReportEnabled is false or for a code outside the table;
// "\n\n%s\n" on standard output (then flushed) in console mode; a message box in window mode.
void ReportAppMessage(AppMessage code);

// Reports "<text of code>:\n<path>" under the same rules as ReportAppMessage.
void ReportPathMessage(AppMessage code, const std::string& path);

// Reports an arbitrary text under the same rules as ReportAppMessage.
void ReportText(const std::string& text);

// Asks a yes/no question. Console: prints consoleText (which ends "(y/n)?[y] "), reads one
// character and discards the rest of that line; only n or N mean no, and end of input means yes.
// Window: the installed question callback gets windowText. Silent mode answers yes, and so does a
// session whose messages go to a target of their own (one of several handsets).
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
