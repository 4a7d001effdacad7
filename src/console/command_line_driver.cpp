#include "console/command_line_driver.h"

#include <cstring>

#include "console/report/reporter.h"
#include "console/usage_text.h"

AppMessage RunCommandLine(int argc, char** argv)
{
    PrintBanner();
    if (argc < 3 || std::strlen(argv[2]) < 2) {
        PrintUsage();
        return msgInvalidArgument;
    }
    // The link layer is not wired in yet: no port can be opened.
    ReportAppMessage(21);
    return 21;
}
