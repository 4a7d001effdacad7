#include "report/reporter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <string>
#include <vector>

#include "report/app_messages.h"

namespace {

// Restores the process-wide reporting state after each case.
class ReporterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OutputMode = outputModeConsole;
        ReportEnabled = true;
    }
    void TearDown() override
    {
        OutputMode = outputModeMessageBox;
        ReportEnabled = true;
        SetMessageBoxHandler({});
        SetQuestionHandler({});
    }
};

std::string CaptureReport(AppMessage code)
{
    ::testing::internal::CaptureStdout();
    ReportAppMessage(code);
    return ::testing::internal::GetCapturedStdout();
}

TEST_F(ReporterTest, ConsolePrintsTwoBlankLinesTextAndLineBreakMessageBoxesTheTextAlone)
{
    EXPECT_EQ(CaptureReport(22), "\n\nError - Could not detect any device on the specified port\n");
    ::testing::internal::CaptureStdout();
    ReportPathMessage(56, "/games");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "\n\nError - Could not remove directory from the device:\n/games\n");

    std::vector<std::string> shown;
    SetMessageBoxHandler([&](const std::string& text) { shown.push_back(text); });
    OutputMode = outputModeMessageBox;
    EXPECT_EQ(CaptureReport(70), "");
    ReportPathMessage(54, "/chess/chess.mod");
    EXPECT_EQ(shown, (std::vector<std::string>{"Device is now offline",
                                               "Error - Could not remove file from the device:\n/chess/chess.mod"}));
    OutputMode = 2;  // silent
    EXPECT_EQ(CaptureReport(70), "");
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(ReporterTest, NothingOutsideTheTableOrWhileDisabled)
{
    EXPECT_EQ(CaptureReport(appMessageCount), "");
    EXPECT_EQ(CaptureReport(-1), "");
    ReportEnabled = false;
    EXPECT_EQ(CaptureReport(0), "");
    int boxes = 0;
    OutputMode = outputModeMessageBox;
    SetMessageBoxHandler([&](const std::string&) { ++boxes; });
    ReportAppMessage(0);
    EXPECT_EQ(boxes, 0);
}

// Feeds text to standard input (descriptor 0) for the duration of one question.
class StdinFeeder {
public:
    explicit StdinFeeder(const std::string& text)
    {
        file_ = std::tmpfile();
        std::fputs(text.c_str(), file_);
        std::fflush(file_);
        saved_ = ::dup(0);
        ::dup2(::fileno(file_), 0);
        std::clearerr(stdin);
        std::fseek(stdin, 0, SEEK_SET);  // drops anything buffered and rewinds the file
    }
    ~StdinFeeder()
    {
        ::dup2(saved_, 0);
        ::close(saved_);
        std::clearerr(stdin);
        std::fclose(file_);
    }
    std::string Rest()
    {
        std::string rest;
        for (int c; (c = std::getchar()) != EOF;)
            rest += static_cast<char>(c);
        return rest;
    }

private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

TEST_F(ReporterTest, ConsoleQuestionReadsOneAnswerAndDropsTheRestOfItsLine)
{
    struct Case {
        std::string input;
        bool yes;
        std::string left;
    };
    const std::vector<Case> cases = {
        {"y\nnext\n", true, "next\n"},  {"Y\n", true, ""},   {"\nnext\n", true, "next\n"},
        {"", true, ""},                 {"n\n", false, ""},  {"N\n", false, ""},
        {"no\no\n", false, "o\n"},      {"yes\n", true, ""}, {"x", true, ""},
    };
    for (const auto& c : cases) {
        StdinFeeder feeder(c.input);
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(AskYesNo("Replace (y/n)?[y] ", "Replace?"), c.yes) << c.input;
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Replace (y/n)?[y] ");
        EXPECT_EQ(feeder.Rest(), c.left) << c.input;
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
