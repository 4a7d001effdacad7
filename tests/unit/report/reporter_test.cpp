#include "report/reporter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "report/app_messages.h"

namespace {

// Restores the process-wide reporting state after each case.
class ReporterTest : public ::testing::Test {
protected:
    void SetUp() override { OutputMode = outputModeConsole; }
    void TearDown() override
    {
        OutputMode = outputModeMessageBox;
        ReportEnabled = true;
        SetMessageBoxHandler({});
    }
    static std::string Printed(const std::function<void()>& report)
    {
        ::testing::internal::CaptureStdout();
        report();
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(ReporterTest, ConsolePrintsTwoBlankLinesTextAndLineBreakMessageBoxesTheTextAlone)
{
    EXPECT_EQ(Printed([] { ReportAppMessage(22); }), "\n\nError - Could not detect any device on the specified port\n");
    EXPECT_EQ(Printed([] { ReportPathMessage(56, "/games"); }),
              "\n\nError - Could not remove directory from the device:\n/games\n");
    EXPECT_EQ(Printed([] { ReportAppMessage(appMessageCount); }), "") << "past the table";
    EXPECT_EQ(Printed([] { ReportAppMessage(-1); }), "");

    std::vector<std::string> shown;
    SetMessageBoxHandler([&](const std::string& text) { shown.push_back(text); });
    OutputMode = outputModeMessageBox;
    EXPECT_EQ(Printed([] { ReportAppMessage(70); }), "");
    ReportPathMessage(54, "/chess/chess.mod");
    OutputMode = 2;  // silent
    ReportAppMessage(70);
    OutputMode = outputModeMessageBox;
    ReportEnabled = false;
    ReportAppMessage(0);
    EXPECT_EQ(shown, (std::vector<std::string>{"Device is now offline",
                                               "Error - Could not remove file from the device:\n/chess/chess.mod"}));
}

// Standard input (descriptor 0) reads text for the duration of one question.
class StdinFeeder {
public:
    explicit StdinFeeder(const std::string& text) : file(std::tmpfile()), saved(::dup(0))
    {
        std::fputs(text.c_str(), file);
        std::fflush(file);
        ::dup2(::fileno(file), 0);
        std::clearerr(stdin);
        std::fseek(stdin, 0, SEEK_SET);  // drops anything buffered and rewinds the file
    }
    ~StdinFeeder()
    {
        ::dup2(saved, 0);
        ::close(saved);
        std::clearerr(stdin);
        std::fclose(file);
    }
    static std::string Rest()
    {
        std::string rest;
        for (int c; (c = std::getchar()) != EOF;)
            rest += static_cast<char>(c);
        return rest;
    }

private:
    std::FILE* file;
    int saved;
};

TEST_F(ReporterTest, ConsoleQuestionReadsOneAnswerAndDropsTheRestOfItsLine)
{
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"y\nnext\n", true, "next\n"}, {"Y\n", true, ""},   {"\nnext\n", true, "next\n"},
        {"", true, ""},                {"n\n", false, ""},  {"N\n", false, ""},
        {"no\no\n", false, "o\n"},     {"yes\n", true, ""}, {"x", true, ""},
    };
    for (const auto& [input, yes, left] : cases) {
        StdinFeeder feeder(input);
        bool answer = false;
        EXPECT_EQ(Printed([&] { answer = AskYesNo("Replace (y/n)?[y] ", "Replace?"); }), "Replace (y/n)?[y] ");
        EXPECT_EQ(answer, yes) << input;
        EXPECT_EQ(feeder.Rest(), left) << input;
    }
}

TEST(MemoryExhaustion, ReportsAndExitsWithStatusZero)
{
    EXPECT_EXIT(
        {
            OutputMode = outputModeConsole;
            InstallMemoryExhaustionHandler();
            ExitOnMemoryExhaustion();
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
