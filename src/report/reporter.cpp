#include "report/reporter.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/stop_request.h"

int OutputMode = outputModeMessageBox;
bool ReportEnabled = true;
bool EfsStatsAvailable = true;

namespace {

MessageBoxHandler messageBoxHandler;
QuestionHandler questionHandler;
std::function<void()> consoleOutputListener;

void BeforeConsoleOutput()
{
    if (consoleOutputListener)
        consoleOutputListener();
}

void ShowText(const char* text)
{
    if (!ReportEnabled)
        return;
    if (OutputMode == outputModeConsole) {
        BeforeConsoleOutput();
        std::printf("\n\n%s\n", text);
        std::fflush(nullptr);
    } else if (OutputMode == outputModeMessageBox && messageBoxHandler) {
        messageBoxHandler(text);
    }
}

// Reads the answer character of a console question and drops the rest of its line, so the
// leftover characters of "no" never reach the next prompt as a command.
int ReadAnswerCharacter()
{
    const int answer = std::getchar();
    if (answer == EOF || answer == '\n')
        return answer;
    int c = answer;
    while (c != '\n' && c != EOF)
        c = std::getchar();
    return answer;
}

}  // namespace

void ReportAppMessage(AppMessage code)
{
    if (const char* text = AppMessageText(code))
        ShowText(text);
}

void ReportPathMessage(AppMessage code, const std::string& path)
{
    if (const char* text = AppMessageText(code))
        ShowText((std::string(text) + ":\n" + path).c_str());
}

void ReportText(const std::string& text)
{
    ShowText(text.c_str());
}

bool AskYesNo(const std::string& consoleText, const std::string& windowText)
{
    if (OutputMode == outputModeConsole) {
        BeforeConsoleOutput();
        std::fputs(consoleText.c_str(), stdout);
        std::fflush(stdout);
        SetQuestionWaiting(true);
        const int answer = ReadAnswerCharacter();
        SetQuestionWaiting(false);
        return answer != 'n' && answer != 'N';
    }
    if (OutputMode == outputModeMessageBox && questionHandler)
        return questionHandler(windowText);
    return true;
}

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    messageBoxHandler = std::move(handler);
}

void SetQuestionHandler(QuestionHandler handler)
{
    questionHandler = std::move(handler);
}

void SetConsoleOutputListener(std::function<void()> listener)
{
    consoleOutputListener = std::move(listener);
}

void ExitOnMemoryExhaustion()
{
    // Console output needs no allocation; a message box may fail, which is acceptable here.
    ReportAppMessage(msgMemoryFailure);
    std::fflush(nullptr);
    std::_Exit(0);
}

void InstallMemoryExhaustionHandler()
{
    std::set_new_handler([] { ExitOnMemoryExhaustion(); });
}
