// PC paths cross between the program's UTF-8 text and std::filesystem here, and only here. On
// Windows a narrow std::string given to std::filesystem::path is read in the system's code page
// (and path::string() writes one), so non-ASCII names would be mangled; these convert as UTF-8
// instead. Bytes that are not UTF-8 become U+FFFD there rather than throwing. On POSIX both are
// the identity.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

std::filesystem::path PcPath(std::string_view utf8);
// Whether c separates folders in a PC path: '/' everywhere, and '\' as well on Windows.
bool IsPcPathSeparator(char c);
std::string Utf8Of(const std::filesystem::path& path);
