#include "platform/file_io.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// One read or write moves at most 1 GiB: Windows' C runtime counts bytes in an unsigned int, so
// a larger request would be cut to its low 32 bits (4 GiB exactly would ask for nothing).
unsigned IoChunk(size_t remaining)
{
    return static_cast<unsigned>(std::min<size_t>(remaining, size_t{1} << 30));
}

}  // namespace

bool WriteAllBytes(int fd, const uint8_t* bytes, size_t length)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd, bytes + done, IoChunk(length - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

size_t ReadAllBytes(int fd, uint8_t* bytes, size_t length)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(fd, bytes + done, IoChunk(length - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}
