#include "report/reporter.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/stop_request.h"

namespace {

MessageBoxHandler messageBoxHandler;
QuestionHandler questionHandler;
std::function<void()> consoleOutputListener;

void BeforeConsoleOutput()
{
    if (consoleOutputListener)
        consoleOutputListener();
}

void ShowText(const char* text, int code = -1)
{
    if (!ReportEnabled)
        return;
    if (OutputMode == outputModeConsole) {
        if (const auto& target = CurrentSessionContext().reportedMessage) {
            target(code, text);
            return;
        }
        if (CurrentSessionContext().consoleText) {
            WriteConsoleText(std::string("\n\n") + text + "\n");
            return;
        }
        // No allocation on this path: it also reports memory exhaustion.
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

void WriteConsoleText(const std::string& text)
{
    const CSessionContext& context = CurrentSessionContext();
    if (context.consoleText) {
        context.consoleText(text);
        return;
    }
    BeforeConsoleOutput();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(nullptr);
}

void ReportAppMessage(AppMessage code)
{
    if (const char* text = AppMessageText(code))
        ShowText(text, code);
}

void ReportPathMessage(AppMessage code, const std::string& path)
{
    if (const char* text = AppMessageText(code))
        ShowText((std::string(text) + ":\n" + path).c_str(), code);
}

void ReportText(const std::string& text)
{
    ShowText(text.c_str());
}

bool AskYesNo(const std::string& consoleText, const std::string& windowText)
{
    // One session among several cannot ask the one user at the keyboard: the default answer.
    if (CurrentSessionContext().reportedMessage)
        return true;
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
