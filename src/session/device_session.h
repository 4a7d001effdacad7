// One connected handset for a front end: the link, the module cache, and the logic of the
// window's device commands. It holds no widgets: a command takes plain data (device paths in the
// tree's form, the list rows the user selected), reports through the reporter, asks its
// questions through it, and returns what the front end must refresh or show next. Several
// sessions can live in one process.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/link_timing.h"
#include "report/app_messages.h"
#include "session/background_job.h"
#include "session/handset_connect.h"
#include "session/item_kind.h"
#include "session/module_cache.h"
#include "session/session_waits.h"

class CDiagPort;

// A directory as the tree knows it: its device path in the tree's form ("" for the root, "a/b/"
// below it), whether it is the root, and, for a list row's directory, the row's name.
struct CDeviceFolder {
    std::string path;
    bool isTop = false;
    std::string rowName;
};

struct CDirectoryListing {
    std::vector<std::string> subdirectories;  // last path components, as listed
    std::vector<CDeviceRow> rows;             // directories first, then files
};

struct CDropOutcome {
    bool changed = false;  // something was sent: the target directory needs a refresh
    bool stopped = false;  // the user stopped the copy (already reported)
};

// What a dialog-driven command does next.
enum class DialogStep {
    done,       // the command succeeded; refresh what it changed
    askAgain,   // show the dialog again (a refusal or a failure the user wants to retry)
    abandoned,  // the command ends with nothing more to show
};

enum class FolderDelete { kept, removed, stopped };

class CDeviceSession {
public:
    CDeviceSession();
    ~CDeviceSession();
    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

    // --- Connection ---------------------------------------------------------------------------
    // Replaces the link by a new one on portName (ConnectHandset): 0, 21, 22, 24 or 25. With a
    // job waiter the attempt (and progress) runs on a thread of its own while the waiter serves
    // the front end. A Connect made meanwhile (from inside the waiter) takes over: the earlier
    // attempt is abandoned, its link thrown away, and it returns msgNoDevice, leaving the session
    // to the later one.
    AppMessage Connect(const std::string& portName, const LinkTiming& timing = LinkTiming(),
                       const ConnectProgress& progress = {});
    void SetJobWaiter(JobWaiter waiter) { waitForJob_ = std::move(waiter); }
    CDiagPort* Link() const { return link_.get(); }
    bool PhoneReady() const;
    bool LastOpenDenied() const { return lastOpenDenied_; }
    // Reports a failed connect command's result: nothing when the user stopped it, else its
    // message, followed by the permission hint when the port refused us for want of permission.
    void ReportFailedConnect(AppMessage result) const;
    std::string PortName() const;  // the link's port, empty without one
    // The connection pane's figures: free and total KB, or 1 and 1 without statistics. With a
    // job waiter the query runs on a thread of its own.
    void StatusFigures(int& freeKb, int& totalKb);
    // Counts the links Connect has put in place, so a caller can tell that the link changed while
    // it waited.
    unsigned LinkNumber() const { return linkNumber_; }
    void SetWaitShower(WaitShower shower) { showWait_ = std::move(shower); }

    // --- Listing ------------------------------------------------------------------------------
    // Lists directory: its subdirectories always, the list's rows when withRows (sizes in
    // sizeMode). rootRows keeps only module information files among the files. A listing that
    // fails in any part reports one message.
    CDirectoryListing List(const std::string& directory, bool withRows, bool rootRows,
                           int sizeMode);

    // --- Modules ------------------------------------------------------------------------------
    const CModuleCache& ModuleCache() const { return moduleCache_; }
    void MarkModulesStale() { moduleCache_.stale = true; }
    void SizeModeChanged(int sizeMode);
    // Rebuilds the stale cache from the last root listing when the root is the folder shown
    // (showsRoot) and that listing is the last one made with rows, in sizeMode; else by asking
    // the handset. Reports a failure or an empty list. true when the kept listing served.
    bool RebuildModuleCache(bool showsRoot, int sizeMode);

    // --- Copies to the device -----------------------------------------------------------------
    // The directory a drop on the list goes to: the selected node with no row selected, the one
    // selected directory or module row's directory, else none. The answer is Drop's target.
    std::optional<CDeviceFolder> ListDropTarget(const CDeviceFolder& selectedNode,
                                                const std::vector<CListRow>& rows) const;
    // Copies dropped PC files and folders into target, one after the other, by the drop rules.
    CDropOutcome Drop(const std::vector<std::string>& pcPaths, const CDeviceFolder& target);
    // New File with a completed dialog-form device path (CompleteNewFilePath).
    DialogStep NewFile(const std::string& pcFile, const std::string& devicePath,
                       bool containingIsTop);
    // New Directory with the typed path; devicePath receives the path for the dialog.
    DialogStep NewDirectory(const std::string& typedPath, std::string& devicePath);
    // New Module; true when the root changed and needs a refresh.
    bool NewModule(const std::string& pcDirectory, const std::string& name);

    // --- Other device commands ----------------------------------------------------------------
    // Deletes the selected rows of folder after the question; true when it asked and went on.
    bool DeleteRows(const CDeviceFolder& folder, std::vector<CListRow> rows);
    // Deletes a tree folder after the question; a stopped delete is reported here.
    FolderDelete DeleteFolder(const CDeviceFolder& node, const std::string& label,
                              bool fromDeleteKey);
    // Module > Delete; true when the root needs a refresh.
    bool DeleteModuleNamed(const std::string& name);
    // Copy from Device's preset device file: the selected directory in dialog form plus the one
    // selected File row. false when the command does nothing (a single row that is no file).
    bool CopyFromDevicePreset(const CDeviceFolder* selected, const std::vector<CListRow>& rows,
                              std::optional<std::string>& preset) const;
    void CopyFromDevice(const std::string& deviceFile, std::string destination);
    void Reset();
    void Offline();

private:
    std::shared_ptr<void> ShowWait(AppMessage text, SessionWait kind) const;
    void CopyDroppedItem(const std::string& pcPath, const CDeviceFolder& target,
                         CDropOutcome& outcome);
    bool DeleteEntry(const CDeviceFolder& folder, const CListRow& row);
    bool AddFileRows(const std::string& directory, bool rootRows, int sizeMode,
                     CDirectoryListing& listing);

    // The rows of the last listing made with rows while it was the root's, in its size mode.
    struct CRootRows {
        std::vector<CDeviceRow> rows;
        int sizeMode = sizeModeActual;
    };
    std::optional<CRootRows> rootRows_;
    std::unique_ptr<CDiagPort> link_;
    bool lastOpenDenied_ = false;
    JobWaiter waitForJob_;
    // The latest Connect's number and whether an earlier one running is to give up.
    unsigned connectNumber_ = 0;
    std::shared_ptr<std::atomic<bool>> abandonConnect_;
    unsigned linkNumber_ = 0;
    std::shared_ptr<std::atomic<bool>> linkJobDone_;  // the last job on link_ has finished
    CModuleCache moduleCache_;
    WaitShower showWait_;
};
