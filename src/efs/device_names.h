// How device names compare: the handset's file system may not tell letter cases apart, so names
// and paths are compared without regard to case, byte by byte (UTF-8 sequences hold no ASCII
// bytes, so only ASCII letters fold).
#pragma once

#include <string>

// Whether a and b are the same name when letter case is ignored.
bool EqualIgnoringCase(const std::string& a, const std::string& b);

// The name with its ASCII letters in lower case, for comparisons without regard to case.
std::string LowerAscii(std::string text);

// A device path in one spelling: leading "/", no repeated or trailing "/". The handset treats
// "a/b", "/a/b", "a/b/" and "a//b" as the same entry.
std::string NormalDevicePath(const std::string& path);

// The same in lower case, for comparisons without regard to letter case.
std::string ComparableDevicePath(const std::string& path);
