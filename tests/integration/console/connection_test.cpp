// The console's connection sequence and argument checks, byte for byte.
#include "console_fixture.h"

namespace {

TEST_F(ConsoleSession, PortWithoutOptionOrWithOneLetterOptionNeverOpensThePort)
{
    StartHandset();
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"x"}}) {
        const auto result = Run(args);
        EXPECT_EQ(result.output, bannerText + UsageText());
        EXPECT_EQ(result.exitStatus, 0);
    }
    EXPECT_EQ(host_->RequestCount(), 0u);
}

TEST_F(ConsoleSession, UnknownOptionConnectsThenPrintsUsage)
{
    const auto result = Run({"-x"});
    EXPECT_EQ(WithoutDots(result.output), Connected() + UsageText());
    EXPECT_GT(host_->RequestCount(), 0u);
}

TEST_F(ConsoleSession, WrongOperandCountsPrintUsageAfterConnecting)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-d"}, {"-p"}, {"-l", "dir"}, {"-g", "file"}, {"-d", "a", "b"}}) {
        const auto result = Run(args);
        EXPECT_EQ(WithoutDots(result.output), Connected() + UsageText()) << args[0];
    }
}

TEST(ConsoleConnection, UsageWithoutOpeningThePortForBareOneLetterOrOversizedArguments)
{
    for (const auto& args : {std::vector<std::string>{"COM1"}, {"/nonexistent/port", "x"},
                             std::vector<std::string>(32, "x"), {"COM1", "-v", std::string(128, 'a')}}) {
        const auto result = RunProcess(VANTFERRANT_EXE, args);
        EXPECT_EQ(result.output, bannerText + UsageText()) << args.size();
        EXPECT_EQ(result.errors, "");
        EXPECT_EQ(result.exitStatus, 0);
    }
}

TEST(ConsoleConnection, MissingPortReportsWithoutDots)
{
    const auto result = RunProcess(VANTFERRANT_EXE, {"/dev/vant-no-such-port", "-v"});
    EXPECT_EQ(result.output,
              bannerText + Message("Error - Could not open the specified port"));
    EXPECT_EQ(result.exitStatus, 0);
}

TEST_F(ConsoleSession, SilentHandsetGetsTwentyFiveDotsThenNoDevice)
{
    StartHandset([](sim::SimBehaviour& b) { b.silent = true; });
    const auto result = Run({"-v"});
    EXPECT_EQ(result.output, bannerText + "Establishing communication with the phone on port " +
                                 host_->SlavePath() + std::string(25, '.') + "\n" +
                                 Message("Error - Could not detect any device on the specified port"));
}

TEST_F(ConsoleSession, HandsetWithoutEfsFailsTheCheck)
{
    StartHandset([](sim::SimBehaviour& b) { b.noEfs = true; });
    const auto result = Run({"-v"});
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + Message("Error - Attached device on specified port does not appear to "
                                    "support EFS"));
}

}  // namespace
