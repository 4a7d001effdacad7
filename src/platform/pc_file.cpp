// What reading and replacing PC files does the same on every system; the *_posix/*_win32 files
// open, inspect, sync and rename.
#include "platform/pc_file.h"

#include <algorithm>
#include <utility>

#include "platform/file_io.h"
#include "platform/session_context.h"

CPcFileReader::CPcFileReader(int fd_, uint64_t size_) : fd(fd_), size(size_) {}

CPcFileReader::CPcFileReader(SharedBytes bytes) : fd(-1), size(bytes->size()), memory(std::move(bytes)) {}

CPcFileReader::CPcFileReader(CPcFileReader&& other) noexcept
    : fd(std::exchange(other.fd, -1)), size(other.size), memory(std::move(other.memory)),
      position(other.position)
{
}

std::optional<CPcFileReader> CPcFileReader::Open(const std::string& path)
{
    CSharedPcFiles* shared = CurrentSessionContext().sharedPcFiles;
    if (shared == nullptr)
        return OpenOnDisk(path);
    SharedBytes bytes = shared->Get(path, [&path]() -> SharedBytes {
        auto file = OpenOnDisk(path);
        if (!file || file->Size() > CSharedPcFiles::largestShared)
            return nullptr;
        auto data = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(file->Size()));
        if (file->Read(*data) != data->size())
            return nullptr;
        return data;
    });
    // A file too large to hold, or one that changed while it was read, is each session's own.
    if (!bytes)
        return OpenOnDisk(path);
    return CPcFileReader(std::move(bytes));
}

size_t CPcFileReader::Read(std::span<uint8_t> bytes)
{
    if (!memory)
        return ReadAllBytes(fd, bytes.data(), bytes.size());
    const size_t count = std::min(bytes.size(), memory->size() - position);
    std::copy_n(memory->begin() + static_cast<std::ptrdiff_t>(position), count, bytes.begin());
    position += count;
    return count;
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
