// With arguments the program is a console tool that never opens the window system: it must run
// where no display can be reached.
#include <gtest/gtest.h>

#include "support/process_runner.h"

namespace {

TEST(ConsoleBranch, RunsWithoutAnyDisplay)
{
    // A window-system connection attempt here would abort the process.
    const auto result = RunProcess(VANTFERRANT_EXE, {"COM1"}, {},
                                   {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.output.find("VANT Ferrant Version 1.0.2.5"), std::string::npos);
    EXPECT_EQ(result.errors.find("platform plugin"), std::string::npos) << result.errors;
}

}  // namespace
