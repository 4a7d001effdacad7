#include <gtest/gtest.h>

#include "platform/port_names.h"
#include "platform/tick.h"
#include "platform/wildcard.h"

namespace {

TEST(Tick, ComparisonsSurviveTheWrap)
{
    const uint32_t beforeWrap = 0xFFFFFF00u;
    const uint32_t afterWrap = 0x00000100u;
    EXPECT_EQ(TickElapsed(beforeWrap, afterWrap), 0x200u);
    EXPECT_TRUE(TickReached(afterWrap, beforeWrap + 0x200u));
    EXPECT_FALSE(TickReached(beforeWrap, afterWrap));
    EXPECT_TRUE(TickReached(afterWrap, afterWrap));
    EXPECT_FALSE(TickReached(afterWrap - 1, afterWrap));
}

TEST(PortNames, AbsoluteComAndBareNames)
{
#ifdef _WIN32
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "\\\\.\\COM1"},       {"com12", "\\\\.\\com12"}, {"\\\\.\\COM3", "\\\\.\\COM3"},
        {"CNCA0", "\\\\.\\CNCA0"},     {"", ""},                {"COM0", ""},
    };
#else
    const std::pair<const char*, const char*> cases[] = {
        {"/dev/pts/7", "/dev/pts/7"}, {"COM1", "/dev/ttyS0"}, {"com12", "/dev/ttyS11"},
        {"ttyUSB0", "/dev/ttyUSB0"},  {"COMX", "/dev/COMX"},  {"COM", "/dev/COM"},
        {"", ""},                     {"COM0", ""},
    };
#endif
    for (const auto& [name, path] : cases)
        EXPECT_EQ(ResolvePortName(name), path) << name;
}

TEST(Wildcard, PatternsMatchWholeNamesWithoutRegardToCase)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.mod", "chess.mod", true},    {"*.mod", "CHESS.MOD", true},   {"*.MIF", "a.mif", true},
        {"*.mod", "chess.mod.bak", false}, {"*.mod", "chessmod", false}, {"*", "", true},
        {"*", ".hidden", true},          {"", "", true},                 {"", "a", false},
        {"a*b*c", "aXbYbZc", true},      {"a*b*c", "aXbYbZ", false},     {"**a", "ba", true},
        {"?.sig", "a.sig", true},        {"?.sig", "ab.sig", false},     {"?.sig", ".sig", false},
        {"?x", "\xC3\xA9x", true},       {"*\xC3\xA9", "caf\xC3\xA9", true},  // one UTF-8 character
        {"[ab]*", "B1", true},           {"[a-c]?", "d1", false},        {"[!a-c]?", "d1", true},
        {"[^a]", "a", false},            {"[]]", "]", true},             {"[a", "[a", true},  // unclosed: literal
        {"a\\b", "a\\b", true},          {"*.[mM][oO]d", "x.MOD", true}, {"*.mod", "x.mo", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
    EXPECT_TRUE(HasWildcard("a[b"));
    EXPECT_FALSE(HasWildcard("plain.mod"));
}

}  // namespace
