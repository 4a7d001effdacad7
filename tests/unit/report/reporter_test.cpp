#include "report/reporter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/app_messages.h"

namespace {

// Restores the process-wide reporting state after each case. Every console text and answer the
// console output table gives is checked there byte for byte; these are the cases it cannot give.
class ReporterTest : public ::testing::Test {
protected:
    void SetUp() override { OutputMode = outputModeConsole; }
    void TearDown() override
    {
        OutputMode = outputModeMessageBox;
        ReportEnabled = true;
        SetMessageBoxHandler({});
    }
};

TEST_F(ReporterTest, CodesPastTheTableSilentModeAndDisabledReportsShowNothing)
{
    ::testing::internal::CaptureStdout();
    ReportAppMessage(appMessageCount);
    ReportAppMessage(-1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

    std::vector<std::string> shown;
    SetMessageBoxHandler([&](const std::string& text) { shown.push_back(text); });
    OutputMode = 2;  // silent
    ReportAppMessage(70);
    OutputMode = outputModeMessageBox;
    ReportEnabled = false;
    ReportAppMessage(0);
    ReportEnabled = true;
    ReportPathMessage(54, "/chess/chess.mod");
    EXPECT_EQ(shown, std::vector<std::string>{"Error - Could not remove file from the device:\n/chess/chess.mod"});
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
