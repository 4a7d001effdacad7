// What the console makes of its input: command-line words, prompt lines and their operands.
#include <gtest/gtest.h>

#include <cstdio>

#include "console/argument_vector.h"
#include "console/command_line_split.h"
#include "console/prompt_line.h"

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, QuotingAndSeparators)
{
    const std::pair<const char*, Args> cases[] = {
        {"COM1 -s", {"COM1", "-s"}},   {"   ", {}},
        {"\"COM 7\" -v", {"COM 7", "-v"}},
        {"a\"b", {"a\"b"}},            // a quote inside a word is ordinary
        {"\"a b\"x", {"a b", "x"}},    // the closing quote ends the argument
        {"\"\" x", {"", "x"}},         // two quotes: an empty argument
        {"a\tb c", {"a\tb", "c"}},     // a tab does not end an argument
        {"a    b", {"a", "b"}},        {" \t\nCOM1\t -i", {"COM1\t", "-i"}},
    };
    for (const auto& [line, args] : cases) {
        const auto result = SplitCommandLine(line);
        EXPECT_TRUE(result.ok) << line;
        EXPECT_EQ(result.arguments, args) << line;
    }
    const auto open = SplitCommandLine("\"COM1 -v");
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.errorText, "ERROR: Unterminated quoted argument: COM1 -v");
}
TEST(ReadPromptLine, CarriageReturnsOverLongLinesAndAPartialLastLine)
{
    const std::string exact(promptLineMax, 'a');
    const std::string longer = "d " + std::string(100, 'x');
    const std::string input = "v\r\n\n" + exact + "\r\n" + longer + "\nq";
    std::FILE* file = ::fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    const std::tuple<std::string, bool, bool> expected[] = {
        {"v", false, false}, {"", false, false}, {exact, false, false},
        {longer.substr(0, promptLineMax), true, false}, {"q", false, true},  // a partial last line still runs
    };
    for (const auto& [text, tooLong, end] : expected) {
        const PromptLine line = ReadPromptLine(file);
        EXPECT_EQ(line.text, text);
        EXPECT_EQ(line.tooLong, tooLong) << text;
        EXPECT_EQ(line.endOfInput, end) << text;
    }
    std::fclose(file);
}

// One operand and its refusals are the console table's; two are cut here.
TEST(PromptOperands, TwoQuotedOrUpToASpace)
{
    const std::tuple<const char*, const char*, const char*> cut[] = {
        {"l \"dir with space\" chess", "dir with space", "chess"},
        {"g   /chess/chess.mod   /home/me/my dir", "/chess/chess.mod", "/home/me/my dir"},
        {"l \"a\"b", "a", "b"},
    };
    for (const auto& [line, first, second] : cut) {
        const auto operands = CutTwoOperands(line);
        ASSERT_TRUE(operands) << line;
        EXPECT_EQ(operands->first, first);
        EXPECT_EQ(operands->second, second);
    }
    for (const char* malformed : {"l dir", "l \"dir chess", "l \"dir\"", "l \"dir\"   ", "l    ", "lx dir name", "g file"})
        EXPECT_FALSE(CutTwoOperands(malformed)) << malformed;
}

// The fixed argument slots: what fits arrives whole and ends with a null pointer; what does not
// is refused as a whole, never cut or run into the next slot.
TEST(ArgumentVector, KeepsWhatFitsWholeAndRefusesTheRest)
{
    const std::string longest(127, 'a'), tooLong(128, 'b');
    const struct {
        const char* what;
        Args arguments;
        bool fits;
    } cases[] = {
        {"longest argument, then another", {"-l", longest, "chess"}, true},
        {"longest argument last", {"-g", "/x", longest}, true},
        {"one byte too long", {"-l", tooLong, "chess"}, false},
        {"31 arguments", Args(31, "x"), true},
        {"32 arguments", Args(32, "x"), false},
    };
    for (const auto& c : cases) {
        CArgumentVector vector;
        EXPECT_EQ(vector.Fill("VANTFerrant", c.arguments), c.fits) << c.what;
        const Args stored(vector.Vector(), vector.Vector() + vector.Count());
        Args expected{"VANTFerrant"};
        if (c.fits)
            expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(stored, expected) << c.what;
        EXPECT_EQ(vector.Vector()[vector.Count()], nullptr) << c.what;
    }
}

}  // namespace
