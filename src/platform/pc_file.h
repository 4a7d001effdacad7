// PC files as the module and file commands use them. Reading opens without blocking and accepts
// only regular files, so a FIFO, socket or device is refused at once instead of hanging the
// caller. Writing replaces a file atomically and durably: the new contents go to a temporary
// file beside the destination and are renamed over it only once complete and synced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/shared_pc_files.h"

// A regular PC file open for reading.
class CPcFileReader {
public:
    // Nothing when path cannot be opened or is not a regular file (following symbolic links).
    // In a session that shares its PC files with others (platform/shared_pc_files.h), the file
    // is read from the disk once for all of them.
    static std::optional<CPcFileReader> Open(const std::string& path);

    CPcFileReader(CPcFileReader&& other) noexcept;
    CPcFileReader& operator=(CPcFileReader&&) = delete;
    ~CPcFileReader();

    uint64_t Size() const { return size; }
    // Reads until bytes is full or the file ends; returns the number read.
    size_t Read(std::span<uint8_t> bytes);

private:
    CPcFileReader(int fd, uint64_t size);
    explicit CPcFileReader(SharedBytes bytes);
    static std::optional<CPcFileReader> OpenOnDisk(const std::string& path);
    int fd;
    uint64_t size;
    SharedBytes memory;  // the shared bytes read instead of the file, when there are
    size_t position = 0;
};

enum class PcEntryKind { none, regularFile, directory, other };

// What is at path, without following a symbolic link at its end (a link is "other").
PcEntryKind PcEntryAt(const std::string& path);

// Whether path is itself a link: a symbolic link, or on Windows any reparse point (a junction
// too). Walks over PC folders do not enter a folder reached through one, so a link back up the
// tree cannot make a load or a size sum loop or count a folder twice.
bool IsPcLink(const std::string& path);

// durable: the new contents and the rename are on the disk before Commit returns. atomicOnly:
// readers see the old file or the new one, never a torn one, but a power loss may lose either
// (for files that stand in for another device's, where a sync per write only costs time).
enum class ReplaceDurability { durable, atomicOnly };

// The replacement of one PC file. Begin creates the temporary file, so a destination folder
// that cannot take it fails before any contents are fetched. Where the file system allows, the
// file has no name until Commit, so a process killed before then leaves nothing behind. A
// symbolic link at the destination is followed: its target is replaced, as a plain overwrite
// would do.
class CFileReplacement {
public:
    static std::optional<CFileReplacement> Begin(const std::string& destination);

    CFileReplacement(CFileReplacement&& other) noexcept;
    CFileReplacement& operator=(CFileReplacement&&) = delete;
    // Removes the temporary file unless Commit succeeded.
    ~CFileReplacement();

    bool Write(std::span<const uint8_t> bytes);
    // Gives the file the replaced file's permissions (or the umask's), syncs it, renames it over
    // the destination and syncs the folder (the syncs only when durable). False leaves the
    // destination as it was.
    bool Commit(ReplaceDurability durability = ReplaceDurability::durable);

private:
    CFileReplacement(int fd, std::string temporary, std::string target);
    bool Name();
    int fd;
    std::string temporary;  // empty while the file has no name
    std::string target;
};

// Replaces the file at destination with bytes in one step, as CFileReplacement does.
bool ReplacePcFile(const std::string& destination, std::span<const uint8_t> bytes,
                   ReplaceDurability durability = ReplaceDurability::durable);
