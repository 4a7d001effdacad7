#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/pc_path.h"
#include "platform/port_names.h"
#include "platform/raw_command_line.h"
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

// The program's own name is cut by the system's rule, which differs from the arguments' rule: a
// tab ends it, and a quote inside an unquoted name is kept.
TEST(CutProgramName, QuotedOrUpToASpaceOrTab)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\V.exe\"  SIM -v", "C:\\Program Files\\V.exe", "SIM -v"},
        {"\"C:\\a b\\V.exe\"\"SIM\" -v", "C:\\a b\\V.exe", "\"SIM\" -v"},  // no blank after the name
        {"V.exe\t\"a b\"", "V.exe", "\"a b\""},
        {"V\"a b\" c", "V\"a", "b\" c"},
        {"\"C:\\no end SIM -v", "C:\\no end SIM -v", ""},
        {"V.exe \t ", "V.exe", ""},
        {"\"\"", "", ""},
        {"", "", ""},
    };
    for (const auto& [line, name, rest] : cases) {
        const RawCommandLine cut = CutProgramName(line);
        EXPECT_EQ(cut.programName, name) << line;
        EXPECT_EQ(cut.arguments, rest) << line;
    }
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

TEST(PortNames, TwoSpellingsOfOnePortShareAnIdentity)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"COM3", "com3", true},
        {"COM3", "COM4", false},
#ifdef _WIN32
        {"\\\\.\\com3", "COM3", true},
        {"CNCA0", "cnca0", true},
#else
        {"ttyUSB0", "/dev/ttyUSB0", true},
        {"COM1", "/dev/ttyS0", true},
        {"/dev/ttyUSB0", "/dev/ttyusb0", false},
#endif
    };
    for (const auto& [a, b, same] : cases)
        EXPECT_EQ(PortIdentity(a) == PortIdentity(b), same) << a << " " << b;
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

// Non-ASCII PC names cross into std::filesystem and back unchanged, whatever the system's code
// page; a path built from a name holds the Unicode characters, not the name's bytes one by one.
TEST(PcPath, Utf8NamesSurviveTheCrossingBothWays)
{
    const std::pair<std::u8string, std::string> names[] = {
        {u8"\u00e9checs", "\xC3\xA9" "checs"},
        {u8"\u5c06\u68cb.mod", "\xE5\xB0\x86\xE6\xA3\x8B.mod"},
        {u8"\U0001F600 x", "\xF0\x9F\x98\x80 x"},  // outside the 16-bit plane
        {u8"plain.mif", "plain.mif"},
        {u8"", ""},
    };
    for (const auto& [unicode, utf8] : names) {
        EXPECT_EQ(PcPath(utf8), std::filesystem::path(unicode)) << utf8;
        EXPECT_EQ(Utf8Of(std::filesystem::path(unicode)), utf8);
        EXPECT_EQ(Utf8Of(PcPath("pc/" + utf8).filename()), utf8);
        EXPECT_EQ(Utf8Of((PcPath(utf8) / PcPath("chess.mod")).parent_path()), utf8);
    }
    // Bytes that are not UTF-8 (a name from the handset, say) give some path, never an exception.
    EXPECT_NO_THROW(Utf8Of(PcPath("bad\xFF\xC3")));
}

}  // namespace
