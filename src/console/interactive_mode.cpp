#include "console/interactive_mode.h"

#include <cstdio>
#include <string>

#include "console/console_commands.h"
#include "console/prompt_line.h"
#include "report/reporter.h"
#include "console/usage_text.h"
#include "platform/console_stream.h"

namespace {

enum class PromptOutcome { stay, quit };

void ClearScreen()
{
    if (EnableTerminalSequences(StandardStream::output)) {
        std::fputs("\033[H\033[2J", stdout);
        std::fflush(stdout);
    }
}

void UnknownOption(const std::string& line)
{
    std::printf("Unknown option '%s'\n", line.c_str());
}

void TwoOperandCommand(CDiagPort* port, const std::string& line)
{
    const auto operands = CutTwoOperands(line);
    if (!operands) {
        PrintCommands();
        return;
    }
    if (line[0] == 'l')
        LoadModuleCommand(port, operands->first, operands->second);
    else
        FetchFileCommand(port, operands->first, operands->second);
}

void SingleOperandCommand(CDiagPort* port, const std::string& line)
{
    if (!HasOperandForm(line)) {
        PrintCommands();
        return;
    }
    if (line[0] == 'd')
        DeleteModuleCommand(port, SingleOperand(line));
    else
        LoadPendingCommand(port, SingleOperand(line));
}

// Compares the line in a fixed order: whole words first, then leading letters.
PromptOutcome RunPromptLine(CDiagPort* port, const std::string& line)
{
    if (line == "exit" || line == "quit" || line == "q")
        return PromptOutcome::quit;
    if (line == "cls")
        ClearScreen();
    else if (line == "help" || line == "?")
        PrintCommands();
    else if (line == "s") {
        if (EfsStatsAvailable)
            StatisticsCommand(port);
        else
            PrintCommands();
    } else if (line[0] == 'g')
        TwoOperandCommand(port, line);
    else if (line == "o")
        OfflineCommand(port);
    else if (line == "r")
        ResetCommand(port);
    else if (line == "v")
        ListModulesCommand(port);
    else if (line[0] == 'd' || line[0] == 'p')
        SingleOperandCommand(port, line);
    else if (line[0] == 'l')
        TwoOperandCommand(port, line);
    else
        UnknownOption(line);
    return PromptOutcome::stay;
}

}  // namespace

void RunInteractiveMode(CDiagPort* port)
{
    for (;;) {
        std::fputs("> ", stdout);
        std::fflush(stdout);
        const PromptLine line = ReadPromptLine(stdin);
        if (line.endOfInput && line.text.empty())
            break;  // nothing more will come: leave as "quit" does
        if (line.tooLong)
            UnknownOption(line.text);
        else if (line.text.empty())
            UnknownOption(line.text);
        else if (RunPromptLine(port, line.text) == PromptOutcome::quit)
            break;
        std::fflush(stdout);
        if (line.endOfInput)
            break;
    }
}
