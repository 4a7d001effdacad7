// The settings folder on POSIX: $XDG_CONFIG_HOME, else ~/.config, the place desktop programs keep
// their settings.
#include "platform/user_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::string UserHomeDirectory()
{
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home && home[0] == '/' ? home : std::string();
}

std::string SettingsFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const std::string home = UserHomeDirectory();
    return home.empty() ? std::string() : home + "/.config";
}
