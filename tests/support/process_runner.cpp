#include "support/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Reads fd to its end (a terminal reports EIO once the child has closed its side).
void Drain(int fd, std::string& into)
{
    char buffer[4096];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        ::poll(&ready, 1, -1);
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            into.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    ::close(fd);
}

}  // namespace

CRunningProcess::CRunningProcess(const std::string& program, const std::vector<std::string>& args,
                                 bool onTerminal, const std::string& input,
                                 const std::vector<std::string>& environment, bool holdInput)
{
    // Close-on-exec, so a child started meanwhile on another thread holds none of these ends.
    int in[2], out[2], err[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe");
    // Written before the start: the read end stays open here, so a child that stops reading
    // early cannot raise SIGPIPE in the test.
    [[maybe_unused]] const ssize_t written = ::write(in[1], input.data(), input.size());
    if (holdInput)
        inputEnd = in[1];
    else
        ::close(in[1]);
    posix_spawn_file_actions_t streams;
    ::posix_spawn_file_actions_init(&streams);
    ::posix_spawn_file_actions_adddup2(&streams, in[0], 0);
    // A terminal's master reports EIO to the drain once the child has closed the slave.
    char terminal[128];
    if (onTerminal) {
        ::close(out[0]);
        out[0] = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (out[0] < 0 || ::grantpt(out[0]) != 0 || ::unlockpt(out[0]) != 0 || ::ptsname_r(out[0], terminal, sizeof terminal) != 0)
            throw std::runtime_error("no pseudo-terminal");
        ::posix_spawn_file_actions_addopen(&streams, 1, terminal, O_RDWR | O_NOCTTY, 0);
        ::posix_spawn_file_actions_adddup2(&streams, 1, 2);
    } else {
        ::posix_spawn_file_actions_adddup2(&streams, out[1], 1);
        ::posix_spawn_file_actions_adddup2(&streams, err[1], 2);
    }
    std::vector<std::string> argv{program}, env = environment;
    argv.insert(argv.end(), args.begin(), args.end());
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    if (::posix_spawn(&pid, program.c_str(), &streams, nullptr, Pointers(argv).data(), Pointers(env).data()) != 0)
        pid = -1;
    ::posix_spawn_file_actions_destroy(&streams);
    for (const int fd : {in[0], out[1], err[1]})
        ::close(fd);
    outReader = std::thread(Drain, out[0], std::ref(result.output));
    errReader = std::thread(Drain, err[0], std::ref(result.errors));
}

CRunningProcess::~CRunningProcess()
{
    if (outReader.joinable()) {
        Signal(SIGKILL);
        Wait();
    }
}

void CRunningProcess::Signal(int sig) const
{
    if (pid > 0)
        ::kill(pid, sig);
}

ProcessResult CRunningProcess::Wait()
{
    if (inputEnd >= 0)
        ::close(std::exchange(inputEnd, -1));
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    outReader.join();
    errReader.join();
    result.exitStatus = pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
