// Reading and cutting the lines typed at the interactive prompt.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

constexpr size_t promptLineMax = 80;

struct PromptLine {
    std::string text;        // without the line feed and a trailing carriage return
    bool tooLong = false;    // the line had more than promptLineMax characters: text holds the
                             // first promptLineMax of them and the rest was discarded
    bool endOfInput = false; // input ended after (or instead of) this line
};

// Reads one line. An empty text with endOfInput set means nothing was left to read.
PromptLine ReadPromptLine(std::FILE* in);

// Operand cutting for the interactive commands. Every command line has the form
// "<letter> <operands>": at least three characters with a space second.
bool HasOperandForm(const std::string& line);

// "d name" and "p file": everything from the third character on, unchanged.
std::string SingleOperand(const std::string& line);

// "l dir name" and "g file dir": the first operand is a double-quoted text or the text up to the
// next space; the second is the rest of the line after the spaces that follow. nullopt when
// either is missing.
struct TwoOperands {
    std::string first;
    std::string second;
};
std::optional<TwoOperands> CutTwoOperands(const std::string& line);
