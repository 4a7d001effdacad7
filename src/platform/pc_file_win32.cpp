// PC files on Win32: always binary (text mode would turn LF into CR LF and stop at 0x1A), wide
// paths from the program's UTF-8, only disk files read, and the replacement flushed and moved
// over the destination in one step that reaches the disk.
#include "platform/pc_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <string>
#include <utility>

#include "platform/file_io.h"
#include "platform/wide_text.h"

namespace {

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    return slash == 0 || (slash == 2 && path[1] == ':') ? path.substr(0, slash + 1) : path.substr(0, slash);
}

HANDLE SystemHandle(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

}  // namespace

CPcFileReader::~CPcFileReader()
{
    if (fd >= 0)
        ::_close(fd);
}

std::optional<CPcFileReader> CPcFileReader::OpenOnDisk(const std::string& path)
{
    const int fd = ::_wopen(WideFromUtf8(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return std::nullopt;
    LARGE_INTEGER size{};
    const HANDLE file = SystemHandle(fd);
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) || size.QuadPart < 0) {
        ::_close(fd);
        return std::nullopt;
    }
    return CPcFileReader(fd, static_cast<uint64_t>(size.QuadPart));
}

PcEntryKind PcEntryAt(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PcEntryKind::none;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return PcEntryKind::other;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PcEntryKind::directory : PcEntryKind::regularFile;
}

bool IsPcLink(const std::string& path)
{
    // Junctions and symbolic links alike carry the reparse point attribute; std::filesystem
    // here sees neither as a link.
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

CFileReplacement::~CFileReplacement()
{
    if (fd >= 0)
        ::_close(fd);
    if (!temporary.empty())
        ::DeleteFileW(WideFromUtf8(temporary).c_str());
}

std::optional<CFileReplacement> CFileReplacement::Begin(const std::string& destination)
{
    std::string directory = DirectoryOf(destination);
    if (directory.back() != '/' && directory.back() != '\\')
        directory += '\\';
    const std::string stem = directory + ".vantferrant-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem + std::to_string(attempt);
        const int fd = ::_wopen(WideFromUtf8(name).c_str(),
                                _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            ::SetFileAttributesW(WideFromUtf8(name).c_str(), FILE_ATTRIBUTE_HIDDEN);
            return CFileReplacement(fd, std::move(name), destination);
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

bool CFileReplacement::Name()
{
    return !temporary.empty();
}

bool CFileReplacement::Commit(ReplaceDurability durability)
{
    if (fd < 0)
        return false;
    const bool durable = durability == ReplaceDurability::durable;
    const bool flushed = !durable || ::FlushFileBuffers(SystemHandle(fd));
    const bool closed = ::_close(std::exchange(fd, -1)) == 0;
    if (!flushed || !closed)
        return false;
    // The hidden mark was for the temporary name only.
    const std::wstring from = WideFromUtf8(temporary);
    ::SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    if (!::MoveFileExW(from.c_str(), WideFromUtf8(target).c_str(), flags))
        return false;
    temporary.clear();
    return true;
}
