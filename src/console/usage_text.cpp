#include "console/usage_text.h"

#include <cstdio>

#include "report/reporter.h"

void PrintBanner()
{
    std::printf("\nVANT Ferrant %s\n", productVersionText);
    std::fflush(stdout);
}

void PrintUsage()
{
    ReportAppMessage(msgInvalidArgument);
    std::fputs("\nUsage:\n\n"
               "VANTFerrant port_name option ...\n\n"
               "Options:\n"
               "   -i : Interactive Mode\n"
               "   -l directory module_name : Load all files in directory as module_name\n"
               "   -d module_name : Delete files in phone belonging to module_name\n"
               "   -p pending_filename : Loads the \"pending\" file into the phone\n"
               "   -v : View all modules loaded on phone\n"
               "   -o : Put phone offline\n"
               "   -r : Reset phone\n",
               stdout);
    if (EfsStatsAvailable)
        std::fputs("   -s : Display EFS Statistics\n", stdout);
    std::fputs("   -g filename directory : Copy file (filename) from the Phone to the local "
               "directory (directory)\n"
               "Examples:\n"
               "   VANTFerrant COM1 -l c:\\vantapp\\chess chess\n"
               "   VANTFerrant COM1 -d chess\n"
               "\nClosing connection. Please wait ...\n",
               stdout);
    std::fflush(stdout);
}

void PrintCommands()
{
    std::fputs("Commands:\n\n"
               "   l directory module_name : Load all files in directory as module_name\n"
               "   d module_name : Delete files in phone belonging to module_name\n"
               "   p pending_filename : Loads the \"pending\" file into the phone\n"
               "   v : View all modules loaded on phone\n"
               "   o : Put phone offline\n"
               "   r : Reset phone\n",
               stdout);
    if (EfsStatsAvailable)
        std::fputs("   s : Display EFS Statistics\n", stdout);
    std::fputs("   g filename directory : Copy file (filename) from the Phone to the local "
               "directory (directory)\n"
               "   ? : Help\n"
               "   q : Quit\n\n"
               "Examples:\n"
               "   l c:\\vantapp\\chess chess\n"
               "   d chess\n",
               stdout);
}
