// Runs a program with arguments, a standard input text and extra environment entries, capturing
// what it writes; a run in progress can be signalled.
#pragma once

#include <sys/types.h>

#include <string>
#include <thread>
#include <vector>

struct ProcessResult {
    std::string output;   // everything written to standard output
    std::string errors;   // everything written to standard error
    int exitStatus = -1;  // -1 when the process did not exit normally
};

// Standard output and standard error (pipes, or on request one pseudo-terminal whose transcript
// becomes the output) are drained on threads, so the child never blocks on them. The input, then the end of input, is on standard
// input; it must fit a pipe (64 KiB). With holdInput the end of input comes only at Wait, so a
// question waits for its answer. Extra environment entries ("NAME=value") take precedence over
// the inherited ones.
class CRunningProcess {
public:
    CRunningProcess(const std::string& program, const std::vector<std::string>& args, bool onTerminal = false,
                    const std::string& input = {}, const std::vector<std::string>& environment = {},
                    bool holdInput = false);
    ~CRunningProcess();
    CRunningProcess(const CRunningProcess&) = delete;
    CRunningProcess& operator=(const CRunningProcess&) = delete;

    void Signal(int sig) const;
    ProcessResult Wait();

private:
    pid_t pid = -1;
    int inputEnd = -1;  // held open until Wait
    ProcessResult result;
    std::thread outReader;
    std::thread errReader;
};

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::string& input = {}, const std::vector<std::string>& environment = {})
{
    return CRunningProcess(program, args, false, input, environment).Wait();
}
