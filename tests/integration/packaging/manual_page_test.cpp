// The installed manual page renders cleanly and documents what the program itself prints.
#include <algorithm>

#include "installed_tree_fixture.h"

namespace {

constexpr size_t manualWidth = 80;

ProcessResult RenderManual(const std::filesystem::path& page)
{
    // --warnings makes the formatter report every roff mistake on standard error.
    return RunProcess(VANT_MAN, {"--warnings", "-l", page.string()}, {},
                      {"MANWIDTH=" + std::to_string(manualWidth), "MANPAGER=cat", "PAGER=cat",
                       "LC_ALL=C.UTF-8", "MAN_KEEP_FORMATTING="});
}

size_t CodePoints(const std::string& line)
{
    return static_cast<size_t>(std::count_if(line.begin(), line.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// A syntax is documented when a line of the page starts with it as a list tag: alone, followed
// by a comma (further spellings), or followed by the column gap before its description.
bool DocumentsSyntax(const std::vector<std::string>& lines, const std::string& syntax)
{
    return std::any_of(lines.begin(), lines.end(), [&syntax](const std::string& line) {
        if (line.rfind(syntax, 0) != 0)
            return false;
        const std::string rest = line.substr(syntax.size());
        return rest.empty() || rest[0] == ',' || rest.rfind("  ", 0) == 0;
    });
}

class ManualPage : public InstalledTree {
protected:
    void SetUp() override
    {
        InstalledTree::SetUp();
        rendered = RenderManual(Installed("share/man/man1/VANTFerrant.1.gz"));
        ASSERT_EQ(rendered.exitStatus, 0) << rendered.errors;
        lines = TrimmedLines(rendered.output);
    }
    ProcessResult rendered;
    std::vector<std::string> lines;
};

TEST_F(ManualPage, RendersWithoutFormatterWarningsWithinTheWidth)
{
    EXPECT_EQ(rendered.errors, "");
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "INTERACTIVE COMMANDS",
                                "PORT NAMES", "FILES", "ENVIRONMENT", "EXIT STATUS", "EXAMPLES"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), section), lines.end()) << section;
    size_t number = 0;
    for (const std::string& line : TrimmedLines(rendered.output)) {
        ++number;
        EXPECT_LE(CodePoints(line), manualWidth) << "line " << number << ": " << line;
    }
}

TEST_F(ManualPage, DocumentsEveryOptionCommandPortFileAndVariableTheProgramKnows)
{
    const auto usage = SyntaxColumn(RunUsage(VANTFERRANT_EXE).output);
    ASSERT_GE(usage.size(), 9u) << "the usage text lists the nine options";
    // The built-in virtual handset reports usage figures, so the help includes "s".
    const auto session = RunProcess(VANTFERRANT_EXE, {"SIM", "-i"}, "?\nq\n");
    auto syntaxes = SyntaxColumn(session.output);
    ASSERT_GE(syntaxes.size(), 10u) << session.output;
    syntaxes.insert(syntaxes.end(), usage.begin(), usage.end());
    for (const char* tag : {"cls", "q, quit, exit", "COMn", "SIM", "SIM:dir",
                            "$XDG_CONFIG_HOME/VANTFerrant.INI", "VANTFERRANT_DEBUG_LOG"})
        syntaxes.emplace_back(tag);
    for (const std::string& syntax : syntaxes)
        EXPECT_TRUE(DocumentsSyntax(lines, syntax)) << syntax;
}

}  // namespace
