// printf-style formatting into std::string, with the compiler checking every format.
#pragma once

#include <string>

// Appends the formatted text to out, at most 255 characters of it (a 256-byte line buffer).
void AppendFormatted(std::string& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
