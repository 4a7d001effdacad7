// Module names as the user types them: " /chess/ " names the module chess.
#pragma once

#include <string>

// Trims surrounding spaces, then one leading and one trailing "/". Returns true when what is
// left is a usable module name: not empty, no "/", and not "." or "..".
bool ParseModuleName(std::string& name);
