// File-name patterns such as "*.mod": '*' matches any run of characters, '?' one character
// (a whole UTF-8 sequence), "[abc]", "[a-z]" and "[!a-z]" one character of a set. Letters match
// without regard to ASCII case, as the PC's file names do on Windows; '\' is an ordinary
// character (it separates folders there, and patterns here never span folders).
#pragma once

#include <string_view>

bool WildcardMatch(std::string_view pattern, std::string_view name);

// True when text holds a pattern character ('*', '?' or '[').
bool HasWildcard(std::string_view text);
