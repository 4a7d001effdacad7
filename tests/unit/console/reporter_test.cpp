#include "console/report/reporter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

#include "console/report/app_messages.h"

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

TEST(AppMessageTable, HasNinetyOneEntriesWithinTheirSlots)
{
    size_t longest = 0;
    for (int code = 0; code < appMessageCount; ++code) {
        ASSERT_NE(AppMessageText(code), nullptr) << code;
        longest = std::max(longest, std::strlen(AppMessageText(code)));
    }
    EXPECT_EQ(longest, 117u);
    EXPECT_EQ(AppMessageText(91), nullptr);
    EXPECT_EQ(AppMessageText(-1), nullptr);
}

TEST(AppMessageTable, TextsAreVerbatim)
{
    EXPECT_STREQ(AppMessageText(0), "Operation was successful");
    EXPECT_STREQ(AppMessageText(25),
                 "Error - Attached device on specified port has unrecongnized memory configuration");
    EXPECT_STREQ(AppMessageText(72),
                 "Error - Could not retrieve EFS memory usage/ availability information");
    EXPECT_STREQ(AppMessageText(73), "");
    EXPECT_STREQ(AppMessageText(74), "Error in creating directory on the device \nPlease check "
                                     "the path.\n\nDo you want to try again?");
    EXPECT_STREQ(AppMessageText(78), "Please specify the device pathName\\fileName");
    EXPECT_STREQ(AppMessageText(81), "Retrieving directory and file information from the\n"
                                     "device's embedded file system. Please wait .....");
    EXPECT_STREQ(AppMessageText(90), "Are you sure you want to delete directory:\n");
}

TEST_F(ReporterTest, ConsolePrintsTwoBlankLinesTextAndLineBreak)
{
    EXPECT_EQ(CaptureReport(22),
              "\n\nError - Could not detect any device on the specified port\n");
}

TEST_F(ReporterTest, NothingOutsideTheTableOrWhileDisabled)
{
    EXPECT_EQ(CaptureReport(91), "");
    EXPECT_EQ(CaptureReport(-1), "");
    ReportEnabled = false;
    EXPECT_EQ(CaptureReport(0), "");
    int boxes = 0;
    OutputMode = outputModeMessageBox;
    SetMessageBoxHandler([&](const std::string&) { ++boxes; });
    ReportAppMessage(0);
    EXPECT_EQ(boxes, 0);
}

TEST_F(ReporterTest, MessageBoxModeUsesTheInstalledHandlerAndSilentModeNothing)
{
    std::vector<std::string> shown;
    SetMessageBoxHandler([&](const std::string& text) { shown.push_back(text); });
    OutputMode = outputModeMessageBox;
    EXPECT_EQ(CaptureReport(70), "");
    ReportPathMessage(54, "/chess/chess.mod");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Device is now offline");
    EXPECT_EQ(shown[1], "Error - Could not remove file from the device:\n/chess/chess.mod");

    OutputMode = 2;
    EXPECT_EQ(CaptureReport(70), "");
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(ReporterTest, PathMessageOnConsole)
{
    ::testing::internal::CaptureStdout();
    ReportPathMessage(56, "/games");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "\n\nError - Could not remove directory from the device:\n/games\n");
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

TEST_F(ReporterTest, WindowQuestionGoesToTheHandler)
{
    OutputMode = outputModeMessageBox;
    std::string asked;
    SetQuestionHandler([&](const std::string& text) {
        asked = text;
        return false;
    });
    EXPECT_FALSE(AskYesNo("console (y/n)?[y] ", "window?"));
    EXPECT_EQ(asked, "window?");
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
