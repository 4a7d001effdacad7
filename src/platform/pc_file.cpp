// What reading and replacing PC files does the same on every system; the *_posix/*_win32 files
// open, inspect, sync and rename.
#include "platform/pc_file.h"

#include <utility>

#include "platform/file_io.h"

CPcFileReader::CPcFileReader(int fd_, uint64_t size_) : fd(fd_), size(size_) {}

CPcFileReader::CPcFileReader(CPcFileReader&& other) noexcept
    : fd(std::exchange(other.fd, -1)), size(other.size)
{
}

size_t CPcFileReader::Read(std::span<uint8_t> bytes)
{
    return ReadAllBytes(fd, bytes.data(), bytes.size());
}

CFileReplacement::CFileReplacement(int fd_, std::string temporary_, std::string target_)
    : fd(fd_), temporary(std::move(temporary_)), target(std::move(target_))
{
}

CFileReplacement::CFileReplacement(CFileReplacement&& other) noexcept
    : fd(std::exchange(other.fd, -1)),
      temporary(std::exchange(other.temporary, {})),
      target(std::move(other.target))
{
}

bool CFileReplacement::Write(std::span<const uint8_t> bytes)
{
    return fd >= 0 && WriteAllBytes(fd, bytes.data(), bytes.size());
}

bool ReplacePcFile(const std::string& destination, std::span<const uint8_t> bytes,
                   ReplaceDurability durability)
{
    auto replacement = CFileReplacement::Begin(destination);
    return replacement && replacement->Write(bytes) && replacement->Commit(durability);
}
