// The watched folder on Linux: inotify tells of links made, moved in, removed or moved out; the
// folder is then read again, so a burst of changes is one look.
#include "platform/port_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "platform/present_ports.h"

namespace fs = std::filesystem;

struct CPortWatch::CState {
    std::string folder;
    int descriptor = -1;
};

CPortWatch::CPortWatch(const std::string& folder) : state(std::make_unique<CState>())
{
    state->folder = folder;
    state->descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (state->descriptor >= 0 &&
        inotify_add_watch(state->descriptor, folder.c_str(),
                          IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ATTRIB |
                              IN_DELETE_SELF | IN_ONLYDIR) < 0) {
        close(state->descriptor);
        state->descriptor = -1;
    }
}

CPortWatch::~CPortWatch()
{
    if (state->descriptor >= 0)
        close(state->descriptor);
}

bool CPortWatch::Valid() const { return state->descriptor >= 0; }

std::vector<std::string> CPortWatch::Present() const
{
    std::vector<std::string> ports;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(state->folder, error)) {
        // Only entries that lead to a character device: a dangling link is a handset gone.
        std::error_code statError;
        if (fs::is_character_file(entry.path(), statError))
            ports.push_back(entry.path().string());
    }
    SortPortsNaturally(ports);
    return ports;
}

void CPortWatch::WaitForChange(std::chrono::milliseconds timeout)
{
    if (state->descriptor < 0)
        return;
    pollfd watched{state->descriptor, POLLIN, 0};
    if (poll(&watched, 1, static_cast<int>(timeout.count())) <= 0)
        return;
    // Drain what came: the folder is read again as a whole.
    alignas(inotify_event) std::array<char, 4096> events;
    while (read(state->descriptor, events.data(), events.size()) > 0) {
    }
}
