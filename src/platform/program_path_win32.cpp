// The program's own folder on Windows, from the module file name, grown until it fits.
#include "platform/program_path.h"

#include <windows.h>

#include "platform/wide_text.h"

std::string ProgramDirectory()
{
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (n == 0)
            return {};
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        exe.resize(exe.size() * 2);  // cut short: try a longer buffer
    }
    exe.erase(exe.find_last_of(L"\\/") + 1);
    return Utf8FromWide(exe);
}
