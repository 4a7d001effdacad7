// A VANTFerrant run the test can signal while it works: standard output to a pipe, standard
// error to a pipe or a pseudo-terminal, both drained on threads so the child never blocks.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

class CRunningConsole {
public:
    CRunningConsole(const std::vector<std::string>& args, bool stderrOnTerminal)
    {
        int out[2] = {-1, -1};
        int err[2] = {-1, -1};
        if (::pipe(out) != 0 || (!stderrOnTerminal && ::pipe(err) != 0))
            return;
        if (stderrOnTerminal) {
            err[0] = ::posix_openpt(O_RDWR | O_NOCTTY);
            ::grantpt(err[0]);
            ::unlockpt(err[0]);
            err[1] = ::open(::ptsname(err[0]), O_RDWR | O_NOCTTY);
        }
        pid = ::fork();
        if (pid == 0) {
            ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(VANTFERRANT_EXE)};
            for (const auto& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(VANTFERRANT_EXE, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        outReader = std::thread([this, fd = out[0]] { Drain(fd, output); });
        errReader = std::thread([this, fd = err[0]] { Drain(fd, errors); });
    }

    void Signal(int sig) const { ::kill(pid, sig); }

    // Waits for the end; the exit status, or -1 when a signal ended the process.
    int Wait()
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        outReader.join();
        errReader.join();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string output;
    std::string errors;

private:
    static void Drain(int fd, std::string& into)
    {
        char buffer[4096];
        // A terminal reports EIO once the child has closed its side.
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            into.append(buffer, static_cast<size_t>(n));
        ::close(fd);
    }

    pid_t pid = -1;
    std::thread outReader;
    std::thread errReader;
};
