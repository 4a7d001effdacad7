// Feeds arbitrary text to ParseModuleName: the result is the text without its surrounding spaces
// and one slash at each end, and it is accepted only as a usable directory name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "modules/module_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string name = text;
    const bool ok = ParseModuleName(name);
    std::string expected;
    const size_t first = text.find_first_not_of(' ');
    if (first != std::string::npos)
        expected = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (!expected.empty() && expected.front() == '/')
        expected.erase(0, 1);
    if (!expected.empty() && expected.back() == '/')
        expected.pop_back();
    if (name != expected)
        std::abort();
    const bool usable = !name.empty() && name.find('/') == std::string::npos && name != "." &&
                        name != "..";
    if (ok != usable)
        std::abort();
    return 0;
}
