// Loading a VANT module from a PC directory, and the copy procedures it is built on, which the
// window's copy commands use as well.
#pragma once

#include <string>

#include "report/app_messages.h"

class CDiagPort;

// Puts dir's single N.mif at the device root and the rest of dir into the device directory
// /N. Returns msgModuleLoaded on success or the code of the rule that failed; reports only the
// details that the copy procedures report. A failed or stopped copy is rolled back, removing
// only what this load made; a stopped one then returns msgLoadStopped. A pipe or unlistable
// folder in dir gives msgCannotCopyModule before anything is written.
AppMessage LoadModule(CDiagPort* port, const std::string& dir, const std::string& moduleName);

// Copies the PC tree pcDir into deviceDir (created first), leaving out the PC file skipFile
// when it is given. Checks the space first while EFS statistics are available. Reports its own
// failures; a pipe, device or unlistable folder anywhere in the tree is refused
// (msgCannotOpenPcFile) before anything is written. A stop request ends the copy between
// requests. A failed copy leaves what it wrote; CopyDirectoryUndoable takes it back.
// createdDir (may be null) tells whether this call created deviceDir.
bool CopyDirectoryToDevice(CDiagPort* port, const std::string& pcDir, const std::string& deviceDir,
                           const std::string& skipFile = {}, bool* createdDir = nullptr);

// The removal of a device directory that a failed copy made. It runs once, quietly, and to its
// end even when a stop request ended the copy; the destructor runs it if the owner has not, so
// the owner only chooses the moment (after saying why the copy failed, say). An empty one
// removes nothing.
class CDirectoryRollback {
public:
    CDirectoryRollback() = default;
    ~CDirectoryRollback();
    CDirectoryRollback(CDirectoryRollback&& other) noexcept;
    CDirectoryRollback& operator=(CDirectoryRollback&&) = delete;

    // Whether a directory is still to be removed.
    bool Pending() const { return port_ != nullptr; }
    void Run();

private:
    // Only the copy knows whether it made the directory.
    friend struct CDirectoryCopy CopyDirectoryUndoable(CDiagPort*, const std::string&,
                                                       const std::string&, const std::string&);
    CDirectoryRollback(CDiagPort* port, std::string directory);

    CDiagPort* port_ = nullptr;
    std::string directory_;
};

struct CDirectoryCopy {
    bool copied = false;
    // Pending only when the copy failed or was stopped after it made deviceDir: a directory that
    // was there before is the user's and stays.
    CDirectoryRollback rollback;
};

// CopyDirectoryToDevice, with the removal of what it made when it fails.
CDirectoryCopy CopyDirectoryUndoable(CDiagPort* port, const std::string& pcDir,
                                     const std::string& deviceDir, const std::string& skipFile = {});

// Copies one PC file to one device path, checking the space before and the size after while
// EFS statistics are available. Only regular files are opened. Reports its own failures, but
// not a stop request that ended the write or the check after it; either way a file it created
// or changed is removed. startedWriting (may be null) tells whether the write to the handset
// began, so a caller knows whether the device file may have changed.
bool CopyFileToDevice(CDiagPort* port, const std::string& pcFile, const std::string& deviceFile,
                      bool* startedWriting = nullptr);

// Copies pcFile to the device file "/pending": msgPendingLoaded on success, msgPendingFailed on
// failure, msgCopyToDeviceStopped when stopped, msgInvalidPortHandle with no link,
// msgNullArgument with no file name. An old /pending is read first and written back when the
// new one fails or is stopped after it began writing; one that cannot be read (or exceeds
// 16 MiB), or that the handset cannot say is missing, is left as it is and the load fails. A
// stoppable operation.
AppMessage LoadPendingFile(CDiagPort* port, const std::string& pcFile);
