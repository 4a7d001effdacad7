#include "support/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { (void)::pipe2(fds, O_CLOEXEC); }
    ~Pipe() { CloseBoth(); }
    void CloseBoth()
    {
        for (int& fd : fds)
            if (fd >= 0) {
                ::close(fd);
                fd = -1;
            }
    }
};

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::vector<std::string>& environment)
{
    ::signal(SIGPIPE, SIG_IGN);
    Pipe in, out, err;
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.insert(env.end(), environment.begin(), environment.end());

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in.fds[0], 0);
        ::dup2(out.fds[1], 1);
        ::dup2(err.fds[1], 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }

    ::close(in.fds[0]);
    in.fds[0] = -1;
    ::close(out.fds[1]);
    out.fds[1] = -1;
    ::close(err.fds[1]);
    err.fds[1] = -1;
    ::fcntl(in.fds[1], F_SETFL, O_NONBLOCK);

    ProcessResult result;
    size_t written = 0;
    if (input.empty()) {
        ::close(in.fds[1]);
        in.fds[1] = -1;
    }
    while (out.fds[0] >= 0 || err.fds[0] >= 0) {
        pollfd fds[3] = {{out.fds[0], POLLIN, 0}, {err.fds[0], POLLIN, 0}, {in.fds[1], POLLOUT, 0}};
        if (::poll(fds, 3, -1) < 0 && errno != EINTR)
            break;
        if (in.fds[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = ::write(in.fds[1], input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) {
                ::close(in.fds[1]);
                in.fds[1] = -1;
            }
        }
        for (int i = 0; i < 2; ++i) {
            int& fd = i == 0 ? out.fds[0] : err.fds[0];
            if (fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                (i == 0 ? result.output : result.errors).append(buffer, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR) {
                ::close(fd);
                fd = -1;
            }
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
