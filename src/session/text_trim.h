// Trimming of typed and read text. Each caller names its own blanks: a profile line loses only
// spaces, tabs and a CR, a typed path any white space.
#pragma once

#include <string>

inline constexpr const char* anyWhiteSpace = " \t\r\n\v\f";

// text without the leading and trailing characters found in blanks.
inline std::string Trim(const std::string& text, const char* blanks)
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
