// Feeds an arbitrary command-line text to SplitCommandLine. Arguments come from inside the text
// in order and hold no more than the text; a failure names the unterminated quote. The same text
// has its program's name cut off: the name and the rest are pieces of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/command_line_split.h"
#include "platform/raw_command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const RawCommandLine cut = CutProgramName(text);
    if (cut.programName.size() + cut.arguments.size() > text.size() ||
        text.find(cut.programName) > 1 || text.rfind(cut.arguments) != text.size() - cut.arguments.size())
        std::abort();
    const auto result = SplitCommandLine(text);
    if (!result.ok) {
        if (result.errorText.rfind("ERROR: Unterminated quoted argument: ", 0) != 0 ||
            text.find('"') == std::string::npos)
            std::abort();
        return 0;
    }
    if (!result.errorText.empty())
        std::abort();
    size_t pos = 0;
    size_t bytes = 0;
    for (const auto& argument : result.arguments) {
        bytes += argument.size();
        const size_t at = text.find(argument, pos);
        if (at == std::string::npos)
            std::abort();
        pos = at + argument.size();
    }
    if (bytes > text.size())
        std::abort();
    return 0;
}
