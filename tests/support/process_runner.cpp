#include "support/process_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <fstream>

#include "support/scratch.h"

extern char** environ;

namespace {

std::string FileText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

// The child's standard streams are files in a scratch folder, so neither side can stall the
// other on a full pipe.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::vector<std::string>& environment)
{
    rig::CScratch folder;
    const auto in = folder.Path() / "in", out = folder.Path() / "out", err = folder.Path() / "err";
    std::ofstream(in, std::ios::binary) << input;
    posix_spawn_file_actions_t streams;
    ::posix_spawn_file_actions_init(&streams);
    ::posix_spawn_file_actions_addopen(&streams, 0, in.c_str(), O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&streams, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::posix_spawn_file_actions_addopen(&streams, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> argv{program}, env;
    argv.insert(argv.end(), args.begin(), args.end());
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.insert(env.end(), environment.begin(), environment.end());

    ProcessResult result;
    pid_t pid = 0;
    const bool started = ::posix_spawn(&pid, program.c_str(), &streams, nullptr, Pointers(argv).data(),
                                       Pointers(env).data()) == 0;
    ::posix_spawn_file_actions_destroy(&streams);
    if (!started)
        return result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.output = FileText(out);
    result.errors = FileText(err);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
