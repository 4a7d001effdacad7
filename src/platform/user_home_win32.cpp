// The settings folder on Windows: %APPDATA%\VANTFerrant, where a Windows user looks for them.
#include "platform/user_home.h"

#include <windows.h>

#include <cstdlib>

#include "platform/wide_text.h"

namespace {

std::string Variable(const wchar_t* name)
{
    const wchar_t* value = ::_wgetenv(name);
    return value != nullptr ? Utf8FromWide(value) : std::string();
}

}  // namespace

std::string UserHomeDirectory()
{
    return Variable(L"USERPROFILE");
}

std::string SettingsFolder()
{
    const std::string appData = Variable(L"APPDATA");
    if (appData.empty())
        return {};
    const std::string folder = appData + "\\VANTFerrant";
    ::CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr);
    return folder;
}
