#include "console/prompt_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<PromptLine> ReadAll(const std::string& input)
{
    std::FILE* file = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), file);
    std::rewind(file);
    std::vector<PromptLine> lines;
    for (;;) {
        PromptLine line = ReadPromptLine(file);
        const bool end = line.endOfInput;
        if (!(end && line.text.empty()))
            lines.push_back(std::move(line));
        if (end)
            break;
    }
    std::fclose(file);
    return lines;
}

TEST(ReadPromptLine, LinesCarriageReturnsAndEndOfInput)
{
    const auto lines = ReadAll("v\r\n\nhello\nq");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "v");
    EXPECT_EQ(lines[1].text, "");
    EXPECT_EQ(lines[2].text, "hello");
    EXPECT_EQ(lines[3].text, "q");
    EXPECT_TRUE(lines[3].endOfInput);  // a partial last line still runs
    EXPECT_FALSE(lines[2].endOfInput);
}

TEST(ReadPromptLine, OverLongLinesAreRefusedWholeNotRunInPieces)
{
    const std::string exact(promptLineMax, 'a');
    const std::string longer = "d " + std::string(100, 'x');
    const auto lines = ReadAll(exact + "\r\n" + longer + "\nv\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, exact);
    EXPECT_FALSE(lines[0].tooLong);
    EXPECT_TRUE(lines[1].tooLong);
    EXPECT_EQ(lines[1].text, longer.substr(0, promptLineMax));
    EXPECT_EQ(lines[2].text, "v");
}

TEST(PromptOperands, SingleOperandNeedsLetterSpaceAndText)
{
    EXPECT_TRUE(HasOperandForm("d chess"));
    EXPECT_FALSE(HasOperandForm("dx"));
    EXPECT_FALSE(HasOperandForm("d "));
    EXPECT_FALSE(HasOperandForm("list"));
    EXPECT_EQ(SingleOperand("d  chess "), " chess ");  // kept unchanged
}

TEST(PromptOperands, TwoOperandsQuotedOrUpToSpace)
{
    auto load = CutTwoOperands("l \"dir with space\" chess");
    ASSERT_TRUE(load);
    EXPECT_EQ(load->first, "dir with space");
    EXPECT_EQ(load->second, "chess");

    auto fetch = CutTwoOperands("g   /chess/chess.mod   /home/me/my dir");
    ASSERT_TRUE(fetch);
    EXPECT_EQ(fetch->first, "/chess/chess.mod");
    EXPECT_EQ(fetch->second, "/home/me/my dir");

    auto quotedThenText = CutTwoOperands("l \"a\"b");
    ASSERT_TRUE(quotedThenText);
    EXPECT_EQ(quotedThenText->first, "a");
    EXPECT_EQ(quotedThenText->second, "b");

    for (const char* malformed : {"l dir", "l \"dir chess", "l \"dir\"", "l \"dir\"   ", "l    ",
                                  "lx dir name", "g file"})
        EXPECT_FALSE(CutTwoOperands(malformed)) << malformed;
}

}  // namespace
