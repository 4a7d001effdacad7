// The user's home directory, where per-user settings live.
#pragma once

#include <string>

// $HOME when it holds an absolute path, else the password database's entry for the user;
// empty when neither gives an absolute path.
std::string UserHomeDirectory();
