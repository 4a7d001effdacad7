// Runs a program with arguments and a standard input text, capturing its standard output.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    std::string output;   // everything written to standard output
    std::string errors;   // everything written to standard error
    int exitStatus = -1;  // -1 when the process did not exit normally
};

// Runs program with args, feeding input on its standard input (then closing it). Extra
// environment entries ("NAME=value") are added to the inherited environment.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = {},
                         const std::vector<std::string>& environment = {});
