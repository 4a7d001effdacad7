#include "support/json_line.h"

#include <cctype>
#include <cstring>

namespace rig {

namespace {

class CJsonReader {
public:
    explicit CJsonReader(const std::string& line) : text(line) {}

    std::optional<std::map<std::string, std::string>> Object()
    {
        std::map<std::string, std::string> members;
        Space();
        if (!Take('{'))
            return std::nullopt;
        Space();
        if (Take('}'))
            return End() ? std::optional(members) : std::nullopt;
        for (;;) {
            Space();
            const auto name = String();
            Space();
            if (!name || !Take(':'))
                return std::nullopt;
            Space();
            auto value = Value();
            if (!value)
                return std::nullopt;
            members[*name] = *value;
            Space();
            if (Take('}'))
                return End() ? std::optional(members) : std::nullopt;
            if (!Take(','))
                return std::nullopt;
        }
    }

private:
    bool End()
    {
        Space();
        return at == text.size();
    }
    void Space()
    {
        while (at < text.size() && std::strchr(" \t\r\n", text[at]) != nullptr && text[at] != '\0')
            ++at;
    }
    bool Take(char c)
    {
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    std::optional<std::string> String()
    {
        if (!Take('"'))
            return std::nullopt;
        std::string out;
        while (at < text.size()) {
            const char c = text[at++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at >= text.size())
                return std::nullopt;
            const char e = text[at++];
            const char* plain = std::strchr("\"\\/bfnrt", e);
            if (plain != nullptr && e != '\0') {
                out += "\"\\/\b\f\n\r\t"[plain - "\"\\/bfnrt"];
            } else if (e == 'u' && at + 4 <= text.size()) {
                const unsigned long code = std::stoul(text.substr(at, 4), nullptr, 16);
                at += 4;
                if (code < 0x80)
                    out += static_cast<char>(code);
                else
                    out += '?';  // the program escapes only control characters
            } else {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::optional<std::string> Value()
    {
        if (at < text.size() && text[at] == '"')
            return String();
        const size_t start = at;
        if (Take('{') || Take('[')) {
            // Nested values are not written by the program; a test that meets one fails on it.
            return std::nullopt;
        }
        for (const char* word : {"true", "false", "null"})
            if (text.compare(at, std::strlen(word), word) == 0) {
                at += std::strlen(word);
                return std::string(word);
            }
        Take('-');
        size_t digits = 0;
        while (at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) || text[at] == '.' ||
                                    text[at] == 'e' || text[at] == 'E' || text[at] == '+' || text[at] == '-')) {
            ++at;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return text.substr(start, at - start);
    }

    const std::string& text;
    size_t at = 0;
};

}  // namespace

std::optional<std::map<std::string, std::string>> ParseJsonObject(const std::string& line)
{
    return CJsonReader(line).Object();
}

}  // namespace rig
