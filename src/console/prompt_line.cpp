#include "console/prompt_line.h"

PromptLine ReadPromptLine(std::FILE* in)
{
    // Keeps one character more than a line may hold (plus room for a carriage return), which is
    // enough to tell an over-long line; the rest of such a line is read and dropped.
    PromptLine line;
    bool overflow = false;
    for (;;) {
        const int c = std::fgetc(in);
        if (c == EOF) {
            line.endOfInput = true;
            break;
        }
        if (c == '\n')
            break;
        if (line.text.size() < promptLineMax + 2)
            line.text.push_back(static_cast<char>(c));
        else
            overflow = true;
    }
    if (!overflow && !line.text.empty() && line.text.back() == '\r')
        line.text.pop_back();
    if (overflow || line.text.size() > promptLineMax) {
        line.tooLong = true;
        line.text.resize(promptLineMax);
    }
    return line;
}

bool HasOperandForm(const std::string& line)
{
    return line.size() >= 3 && line[1] == ' ';
}

std::string SingleOperand(const std::string& line)
{
    return line.size() > 2 ? line.substr(2) : std::string();
}

std::optional<TwoOperands> CutTwoOperands(const std::string& line)
{
    if (!HasOperandForm(line))
        return std::nullopt;
    size_t pos = line.find_first_not_of(' ', 1);
    if (pos == std::string::npos)
        return std::nullopt;

    TwoOperands operands;
    if (line[pos] == '"') {
        const size_t close = line.find('"', pos + 1);
        if (close == std::string::npos)
            return std::nullopt;
        operands.first = line.substr(pos + 1, close - pos - 1);
        pos = close + 1;
    } else {
        const size_t space = line.find(' ', pos);
        if (space == std::string::npos)
            return std::nullopt;
        operands.first = line.substr(pos, space - pos);
        pos = space;
    }
    pos = line.find_first_not_of(' ', pos);
    if (pos == std::string::npos)
        return std::nullopt;
    operands.second = line.substr(pos);
    return operands;
}
