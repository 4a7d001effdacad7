#include "console/usage_text.h"

#include <cstdio>

#include "report/reporter.h"

void PrintBanner()
{
    std::printf("\nVANT Ferrant %s\n", productVersionText);
    std::fflush(stdout);
}

namespace {

// The operations both lists show, as the command-line options (with a "-") and the interactive
// commands (without), in this order. -i exists only on the command line.
struct Operation {
    char letter;
    const char* operands;  // "" when none
    const char* meaning;
    bool needsStatistics;
};

constexpr Operation operations[] = {
    {'l', "directory module_name", "Load all files in directory as module_name", false},
    {'d', "module_name", "Delete files in phone belonging to module_name", false},
    {'p', "pending_filename", "Loads the \"pending\" file into the phone", false},
    {'v', "", "View all modules loaded on phone", false},
    {'o', "", "Put phone offline", false},
    {'r', "", "Reset phone", false},
    {'s', "", "Display EFS Statistics", true},
    {'g', "filename directory",
     "Copy file (filename) from the Phone to the local directory (directory)", false},
};

void PrintOperations(const char* prefix)
{
    for (const Operation& operation : operations) {
        if (operation.needsStatistics && !EfsStatsAvailable)
            continue;
        std::printf("   %s%c%s%s : %s\n", prefix, operation.letter, *operation.operands ? " " : "",
                    operation.operands, operation.meaning);
    }
}

}  // namespace

void PrintUsage()
{
    ReportAppMessage(msgInvalidArgument);
    std::fputs("\nUsage:\n\n"
               "VANTFerrant port_name option ...\n\n"
               "Options:\n"
               "   -i : Interactive Mode\n",
               stdout);
    PrintOperations("-");
    std::fputs("Examples:\n"
               "   VANTFerrant COM1 -l c:\\vantapp\\chess chess\n"
               "   VANTFerrant COM1 -d chess\n"
               "\nClosing connection. Please wait ...\n",
               stdout);
    std::fflush(stdout);
}

void PrintCommands()
{
    std::fputs("Commands:\n\n", stdout);
    PrintOperations("");
    std::fputs("   ? : Help\n"
               "   q : Quit\n\n"
               "Examples:\n"
               "   l c:\\vantapp\\chess chess\n"
               "   d chess\n",
               stdout);
}
