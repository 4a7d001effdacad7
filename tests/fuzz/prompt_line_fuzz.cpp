// Feeds arbitrary text to the interactive prompt's line reader through a memory stream, and
// every line it returns to the operand cutters. The lines must be those of a plain reference
// split: at most 80 characters, no line feed, a trailing carriage return dropped, over-long
// lines cut and flagged; operands always come from inside their line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/prompt_line.h"

namespace {

struct ExpectedLine {
    std::string text;
    bool tooLong = false;
};

std::vector<ExpectedLine> ReferenceLines(const std::string& input)
{
    std::vector<ExpectedLine> lines;
    size_t pos = 0;
    while (pos < input.size()) {
        const size_t feed = input.find('\n', pos);
        const size_t end = feed == std::string::npos ? input.size() : feed;
        std::string raw = input.substr(pos, end - pos);
        std::string stripped = raw;
        if (!stripped.empty() && stripped.back() == '\r')
            stripped.pop_back();
        if (stripped.size() > promptLineMax)
            lines.push_back({raw.substr(0, promptLineMax), true});
        else
            lines.push_back({stripped, false});
        pos = feed == std::string::npos ? input.size() : feed + 1;
    }
    return lines;
}

void CheckOperands(const std::string& line)
{
    if (HasOperandForm(line) != (line.size() >= 3 && line[1] == ' '))
        std::abort();
    const std::string single = SingleOperand(line);
    if (single != (line.size() > 2 ? line.substr(2) : std::string()))
        std::abort();
    const auto two = CutTwoOperands(line);
    if (!two)
        return;
    if (!HasOperandForm(line) || two->second.empty() || two->second.front() == ' ' ||
        two->first.size() + two->second.size() + 2 > line.size())
        std::abort();
    if (line.find(two->first, 2) == std::string::npos ||
        line.compare(line.size() - two->second.size(), std::string::npos, two->second) != 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<char> bytes(data, data + size);
    std::FILE* in = ::fmemopen(bytes.data(), bytes.size(), "r");
    if (in == nullptr)
        return 0;
    const auto expected = ReferenceLines(std::string(bytes.begin(), bytes.end()));
    size_t index = 0;
    for (;;) {
        const PromptLine line = ReadPromptLine(in);
        if (line.endOfInput && line.text.empty() && !line.tooLong)
            break;
        if (index >= expected.size() || line.text != expected[index].text ||
            line.tooLong != expected[index].tooLong)
            std::abort();
        ++index;
        CheckOperands(line.text);
        if (line.endOfInput)
            break;
    }
    std::fclose(in);
    // A last line without a feed that is empty once its carriage return is dropped reads the
    // same as the end of input; it runs nothing either way.
    if (index != expected.size() &&
        !(index + 1 == expected.size() && expected.back().text.empty() && !expected.back().tooLong))
        std::abort();
    return 0;
}
