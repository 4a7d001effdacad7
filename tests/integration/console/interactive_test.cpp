// The interactive prompt against the virtual handset, byte for byte.
#include "console_fixture.h"

namespace {

std::string Unknown(const std::string& line)
{
    return "Unknown option '" + line + "'\n";
}

TEST_F(ConsoleSession, UnknownLinesAndHelp)
{
    const auto result = Run({"-i"}, "hello\n\nS\nlist\ndx\n?\nv \nq\nv\n");
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + "> " + Unknown("hello") + "> " + Unknown("") + "> " + Unknown("S") +
                  "> " + CommandsText() + "> " + CommandsText() + "> " + CommandsText() + "> " +
                  Unknown("v ") + "> ");
    EXPECT_EQ(result.exitStatus, 0);
}

TEST_F(ConsoleSession, EndOfInputEndsThePromptAfterAPartialLastLine)
{
    PutDeviceFile("readme.txt", "x");
    const auto result = Run({"-i"}, "\nv");
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + "> " + Unknown("") + "> " +
                  Message("There is no VANT module stored on the device"));
    EXPECT_EQ(WithoutDots(Run({"-i"}).output), Connected() + "> ");
}

TEST_F(ConsoleSession, OverLongLinesAreRefusedWhole)
{
    const std::string line = "d " + std::string(100, 'x');
    const auto result = Run({"-i"}, line + "\nquit\n");
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + "> " + Unknown(line.substr(0, 80)) + "> ");
}

TEST_F(ConsoleSession, LoadAndFetchAtThePrompt)
{
    MakeModuleDir("dir with space", {{"chess.mif", "i"}, {"chess.mod", "module"}, {"chess.sig", "s"},
                                     {"chess.bar", "b"}});
    const std::string out = (pc_ / "fetched dir").string();
    fs::create_directories(out);
    const std::string input = "l \"" + (pc_ / "dir with space").string() + "\" chess\n" +
                              "l " + pc_.string() + "\n" +
                              "g /chess/chess.mod " + out + "\n" + "exit\n";
    EXPECT_EQ(WithoutDots(Run({"-i"}, input).output),
              Connected() + "> " + Message("Load VANT Module on the device was successful") + "> " +
                  CommandsText() + "> " + Message("Operation was successful") + "> ");
    EXPECT_EQ(ReadFile(out + "/chess.mod"), "module");
}

TEST_F(ConsoleSession, AnAnswerIsOneLineSoItsRestNeverRunsAsACommand)
{
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}});
    const std::string question =
        "Warning - Either of .mod file, .sig file and .bar file is/ are not present\nin local "
        "directory " + (pc_ / "chess").string() + ".\n\nDo you still want to continue (y/n)?[y] ";
    const auto result = Run({"-i"}, "l " + (pc_ / "chess").string() + " chess\nno\nq\n");
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + "> " + question + Message("User stopped load VANT module operation") +
                  "> ");
}

TEST_F(ConsoleSession, DeleteAndPendingAtThePrompt)
{
    PutDeviceFile("chess.mif", "m");
    PutDeviceFile("chess/chess.mod", "d");
    PutPcFile("p.bin", "P");
    const auto result = Run({"-i"}, "d chess\nd  \np " + (pc_ / "p.bin").string() + "\nq\n");
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + "> " + Message("Delete VANT module from the device was successful") +
                  "> " + Message("Error - Invalid module name specified") + "> " +
                  Message("Load pending operation was successful") + "> ");
    EXPECT_EQ(ReadFile(device_ / "pending"), "P");
}

}  // namespace
