// Where per-user settings live.
#pragma once

#include <string>

// POSIX: $HOME when it holds an absolute path, else the password database's entry for the
// user. Windows: %USERPROFILE%. Empty when none is found.
std::string UserHomeDirectory();

// The folder of the program's settings file: $XDG_CONFIG_HOME when absolute, else
// ~/.config (POSIX); %APPDATA%\VANTFerrant, created when missing (Windows). Empty when none.
std::string SettingsFolder();
