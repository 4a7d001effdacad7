// Module names as the user types them (" /chess/ " names the module chess) and as the device
// lists them (a root file whose name contains ".mif" is a module's information file).
#pragma once

#include <string>

// Trims surrounding spaces, then one leading and one trailing "/". Returns true when what is
// left is a usable module name: not empty, no "/", and not "." or "..".
bool ParseModuleName(std::string& name);

// Whether a device name or path names a module information file (contains ".mif", any case).
bool NamesMifFile(const std::string& name);

// The module path of an information file's name: the name cut at its first ".mif".
std::string ModulePathOfMif(const std::string& mifName);

// The part of name before the first occurrence of extension (".mod"), ignoring letter case;
// the whole name when it does not contain the extension.
std::string CutAtExtension(const std::string& name, const std::string& extension);

// Whether name ends with extension, ignoring letter case.
bool HasExtension(const std::string& name, const std::string& extension);
