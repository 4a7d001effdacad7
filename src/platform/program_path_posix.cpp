// The program's own folder on Linux: /proc/self/exe names the running file whatever argv[0] says.
#include "platform/program_path.h"

#include <unistd.h>

std::string ProgramDirectory()
{
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return {};
    std::string path(exe, static_cast<size_t>(n));
    path.erase(path.find_last_of('/') + 1);
    return path;
}
