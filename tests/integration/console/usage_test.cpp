// Runs the real VANTFerrant binary and compares its standard output byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "support/process_runner.h"

namespace {

const std::string banner = "\nVANT Ferrant Version 1.0.2.5\n";

std::string Usage(bool withStats = true)
{
    return std::string("\n\nError - Invalid argument(s) passed\n") +
           "\nUsage:\n\n"
           "VANTFerrant port_name option ...\n\n"
           "Options:\n"
           "   -i : Interactive Mode\n"
           "   -l directory module_name : Load all files in directory as module_name\n"
           "   -d module_name : Delete files in phone belonging to module_name\n"
           "   -p pending_filename : Loads the \"pending\" file into the phone\n"
           "   -v : View all modules loaded on phone\n"
           "   -o : Put phone offline\n"
           "   -r : Reset phone\n" +
           (withStats ? "   -s : Display EFS Statistics\n" : "") +
           "   -g filename directory : Copy file (filename) from the Phone to the local directory "
           "(directory)\n"
           "Examples:\n"
           "   VANTFerrant COM1 -l c:\\vantapp\\chess chess\n"
           "   VANTFerrant COM1 -d chess\n"
           "\nClosing connection. Please wait ...\n";
}

TEST(ConsoleUsage, PortWithoutOptionPrintsBannerAndUsage)
{
    const auto result = RunProcess(VANTFERRANT_EXE, {"COM1"});
    EXPECT_EQ(result.output, banner + Usage());
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(ConsoleUsage, OneCharacterOptionPrintsUsageWithoutOpeningThePort)
{
    const auto result = RunProcess(VANTFERRANT_EXE, {"/nonexistent/port", "x"});
    EXPECT_EQ(result.output, banner + Usage());
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(ConsoleUsage, ArgumentsBeyondTheVectorAreRefusedWithUsage)
{
    const auto tooMany = RunProcess(VANTFERRANT_EXE, std::vector<std::string>(32, "x"));
    EXPECT_EQ(tooMany.output, banner + Usage());
    EXPECT_EQ(tooMany.exitStatus, 0);

    const auto tooLong = RunProcess(VANTFERRANT_EXE, {"COM1", "-v", std::string(128, 'a')});
    EXPECT_EQ(tooLong.output, banner + Usage());
    EXPECT_EQ(tooLong.exitStatus, 0);
}

}  // namespace
