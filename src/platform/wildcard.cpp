#include "platform/wildcard.h"

#include <cstddef>

namespace {

unsigned char Fold(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Length of the UTF-8 character at text[at]: a lead byte and its continuation bytes.
size_t CharacterLength(std::string_view text, size_t at)
{
    size_t end = at + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        ++end;
    return end - at;
}

// Matches the set starting at pattern[at] == '[' against c. Returns the index just past the
// closing ']' and sets matched; returns 0 when the set is not closed (then '[' is literal).
size_t MatchSet(std::string_view pattern, size_t at, unsigned char c, bool& matched)
{
    size_t i = at + 1;
    const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negated)
        ++i;
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (first || pattern[i] != ']')) {
        first = false;
        const unsigned char low = Fold(pattern[i]);
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            const unsigned char high = Fold(pattern[i + 2]);
            found = found || (low <= c && c <= high);
            i += 3;
        } else {
            found = found || low == c;
            ++i;
        }
    }
    if (i >= pattern.size())
        return 0;
    matched = found != negated;
    return i + 1;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    size_t p = 0;
    size_t n = 0;
    // Where to resume after the last '*': the pattern just past it, and the name position it
    // has swallowed up to.
    size_t starPattern = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            const char token = pattern[p];
            if (token == '*') {
                starPattern = ++p;
                starName = n;
                continue;
            }
            if (token == '?') {
                ++p;
                n += CharacterLength(name, n);
                continue;
            }
            bool matched = false;
            const size_t afterSet = token == '[' ? MatchSet(pattern, p, Fold(name[n]), matched) : 0;
            if (afterSet != 0 && matched) {
                p = afterSet;
                ++n;
                continue;
            }
            if (afterSet == 0 && Fold(token) == Fold(name[n])) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starPattern == std::string_view::npos)
            return false;
        p = starPattern;
        starName += CharacterLength(name, starName);
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool HasWildcard(std::string_view text)
{
    return text.find_first_of("*?[") != std::string_view::npos;
}
