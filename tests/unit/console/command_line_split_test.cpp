#include "console/command_line_split.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

Args Split(const std::string& line)
{
    const auto result = SplitCommandLine(line);
    EXPECT_TRUE(result.ok) << line;
    return result.arguments;
}

TEST(SplitCommandLine, QuotingAndSeparators)
{
    EXPECT_EQ(Split("COM1 -s"), (Args{"COM1", "-s"}));
    EXPECT_EQ(Split("   "), Args{});
    EXPECT_EQ(Split("\"COM 7\" -v"), (Args{"COM 7", "-v"}));
    EXPECT_EQ(Split("a\"b"), Args{"a\"b"});          // a quote inside a word is ordinary
    EXPECT_EQ(Split("\"a b\"x"), (Args{"a b", "x"}));  // closing quote ends the argument
    EXPECT_EQ(Split("\"\" x"), (Args{"", "x"}));       // two quotes: an empty argument
    EXPECT_EQ(Split("a\tb c"), (Args{"a\tb", "c"}));   // a tab does not end an argument
    EXPECT_EQ(Split("a    b"), (Args{"a", "b"}));      // no empty arguments from spaces
    EXPECT_EQ(Split(" \t\nCOM1\t -i"), (Args{"COM1\t", "-i"}));
}

TEST(SplitCommandLine, UnterminatedQuoteNamesTheRest)
{
    const auto result = SplitCommandLine("\"COM1 -v");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorText, "ERROR: Unterminated quoted argument: COM1 -v");
}

}  // namespace
