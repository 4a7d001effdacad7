// One call per file-system action on the handset. Each takes the port handle first, sends its
// requests one at a time through CDiagPort::SendSync and blocks until the answer or the time-out.
// Only a null port handle and a null argument are reported here; device-side failures come back
// as false (or no buffer) and the caller reports them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "report/app_messages.h"
#include "efs/efs_packets.h"

class CDiagPort;

// A listing's names: the device paths the iteration reports, or for the single-request
// fallback the directory + "/" + name (bare names for the root). No fixed cap.
using EfsNameList = std::vector<std::string>;

// Called after every block of a file transfer with the bytes done so far and the total.
using EfsProgress = std::function<void(uint64_t done, uint64_t total)>;

// Per-request reply time-outs in milliseconds.
constexpr uint32_t efsNameTimeoutMs = 2000;
constexpr uint32_t efsIterateStepTimeoutMs = 200;
constexpr uint32_t efsListTimeoutMs = 2000;
constexpr uint32_t efsReadFirstTimeoutMs = 4000;
constexpr uint32_t efsReadNextTimeoutMs = 8000;
constexpr uint32_t efsWriteBlockTimeoutMs = 4000;
constexpr uint32_t efsSpaceTimeoutMs = 2000;

// What the caller knows of a directory before it makes it, from a listing of its parent.
enum class EfsDirPresence { unknown, absent, present };

// Make a directory, remove an empty directory, remove a file. An empty path fails at once. A
// request retried after a lost reply and then refused because the work is done ("Directory
// Already Exists", "File Doesn't Exist") counts as done by the first write; for a directory,
// only when before says it was absent, since otherwise the directory may be the user's and a
// caller cleaning up after a failure must not take it for its own.
bool EfsMakeDir(CDiagPort* port, const std::string& path,
                EfsDirPresence before = EfsDirPresence::unknown);
bool EfsRemoveDir(CDiagPort* port, const std::string& path);
bool EfsRemoveFile(CDiagPort* port, const std::string& path);

// List a directory's files or subdirectories: the iteration first, and when it does not
// complete, one single-request listing. count (may be null) receives names->size().
bool EfsListFiles(CDiagPort* port, const std::string& directory, EfsNameList* names,
                  uint32_t* count = nullptr);
bool EfsListDirs(CDiagPort* port, const std::string& directory, EfsNameList* names,
                 uint32_t* count = nullptr);

// What the handset says is at a path: a file with its attribute record, modification time
// (seconds since 6 January 1980) and size, no file, or unknown (no answer, another refusal).
// Reports nothing.
struct EfsFileCheck {
    enum class State { unknown, missing, present } state = State::unknown;
    EfsFileAttributes attributes;
    uint32_t modificationTime = 0;
    uint32_t size = 0;
    bool operator==(const EfsFileCheck&) const = default;
};
EfsFileCheck EfsCheckFile(CDiagPort* port, const std::string& path);

// The same for a file that must be there. The outputs (each may be null) are written only on
// success.
bool EfsGetFileInfo(CDiagPort* port, const std::string& path, EfsFileAttributes* attributes,
                    uint32_t* modificationTime, uint32_t* size);

// Receives each block of a file read as it arrives; false ends the read as a failure.
using EfsBlockSink = std::function<bool(std::span<const uint8_t> block)>;

// Reads the file block by block into sink, holding no more than one block. False when the read
// fails, the sink refuses a block, or a stop was requested before the next block (the sink may
// then have received part of the file). size as for EfsReadFile.
bool EfsReadFileInto(CDiagPort* port, const std::string& path, const EfsBlockSink& sink,
                     uint32_t* size = nullptr, const EfsProgress& progress = {});

// The whole file, or std::nullopt (also after a stop request). A 0-byte file is an empty
// buffer. size (may be null) gets the file's length on success and 0 otherwise.
std::optional<std::vector<uint8_t>> EfsReadFile(CDiagPort* port, const std::string& path,
                                                uint32_t* size = nullptr,
                                                const EfsProgress& progress = {});

// Creates or overwrites a file in 256-byte blocks. data may be null only when length is 0. A
// failed block ends the write; the handset may keep what it already stored. A stop request ends
// it too: before the first block nothing is sent; later, the next block goes out as the last
// one, so the handset closes the write (when that block is the file's last anyway, the write
// finishes and succeeds). Listings in this header stop between requests the same way.
// When an acknowledgement was lost, the file's size confirms the write. A last block that was
// sent again and then refused (the first one may have finished the file) is judged by the file
// too, but a size proves the write only when it cannot be the old file's: before (may be null:
// unknown) is what EfsCheckFile said of the path before the write. The file must have been
// missing, of another size, or now show a later modification time.
bool EfsWriteFile(CDiagPort* port, const std::string& path, uint8_t mode,
                  const EfsFileAttributes& attributes, const uint8_t* data, size_t length,
                  const EfsProgress& progress = {}, const EfsFileCheck* before = nullptr);

// Free and used bytes of the handset's file system; both fail without a message while the
// phone is not Ready.
bool EfsGetFreeSpace(CDiagPort* port, uint32_t* bytes);
bool EfsGetUsedSpace(CDiagPort* port, uint32_t* bytes);

// Whether the handset answers EFS requests: msgSuccess, msgInvalidPortHandle (null handle),
// msgEfsNotSupported (no EFS) or msgEfsUnrecognised (an EFS that refuses to list its root).
// Reports nothing.
AppMessage EfsProbe(CDiagPort* port);
// Resets DeviceRootPath and probes, once more when the first probe fails.
AppMessage EfsCheck(CDiagPort* port);
