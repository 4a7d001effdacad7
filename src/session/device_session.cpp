// The session's connection, listings, module cache and the commands that only switch the
// handset's mode. Copies live in session_copies.cpp, deletions in session_deletes.cpp.
#include "session/device_session.h"

#include <algorithm>

#include "efs/efs_memory.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "efs/pc_sizes.h"
#include "link/diag_port.h"
#include "link/phone_mode.h"
#include "modules/module_name.h"
#include "platform/stop_request.h"
#include "report/reporter.h"
#include "session/node_paths.h"

CDeviceSession::CDeviceSession() = default;

// Out of line: the link is a complete type here.
CDeviceSession::~CDeviceSession() = default;

AppMessage CDeviceSession::Connect(const std::string& portName, const LinkTiming& timing,
                                   const ConnectProgress& progress)
{
    // A job still using the old link (the watch's figures, from under whose wait this Connect may
    // have been started) ends first; then the old link goes, and there is no connection until
    // this one works.
    if (linkJobDone_ && waitForJob_)
        waitForJob_([done = linkJobDone_] { return done->load(); });
    linkJobDone_.reset();
    link_.reset();
    rootRows_.reset();
    if (abandonConnect_)
        *abandonConnect_ = true;
    const unsigned number = ++connectNumber_;
    auto abandon = std::make_shared<std::atomic<bool>>(false);
    abandonConnect_ = abandon;
    CConnection connection;
    RunJob(
        [&] {
            connection = ConnectHandset(portName, timing, progress, [abandon] { return abandon->load(); });
        },
        waitForJob_);
    if (number != connectNumber_)
        return msgNoDevice;  // a later Connect owns the session now
    abandonConnect_.reset();
    ++linkNumber_;
    lastOpenDenied_ = connection.openDenied;
    link_ = std::move(connection.link);
    if (link_ != nullptr)
        EfsStatsAvailable = connection.statsAvailable;
    return connection.result;
}

void CDeviceSession::ReportFailedConnect(AppMessage result) const
{
    if (StopRequested())
        return;
    ReportAppMessage(result);
    if (lastOpenDenied_)
        ReportText(permissionHintText);
}

bool CDeviceSession::PhoneReady() const
{
    return link_ != nullptr && link_->GetPhoneStatus() == phoneStatusReady;
}

std::string CDeviceSession::PortName() const
{
    std::string name;
    if (link_ == nullptr || link_->GetPortName(&name) != linkStatusOk)
        return {};
    return name;
}

void CDeviceSession::StatusFigures(int& freeKb, int& totalKb)
{
    if (!EfsStatsAvailable) {
        freeKb = 1;
        totalKb = 1;
        return;
    }
    freeKb = 0;
    totalKb = 0;
    if (link_ == nullptr) {
        QueryEfsMemory(nullptr, &freeKb, &totalKb);  // reports the missing link here
        return;
    }
    // A handset lost a moment ago costs the query a time-out: with a job waiter it waits on a
    // thread of its own, and the link stays until it has finished.
    CDiagPort* link = link_.get();
    auto done = std::make_shared<std::atomic<bool>>(false);
    linkJobDone_ = done;
    RunJob(
        [&freeKb, &totalKb, link, done] {
            QueryEfsMemory(link, &freeKb, &totalKb);
            done->store(true);
        },
        waitForJob_);
}

std::shared_ptr<void> CDeviceSession::ShowWait(AppMessage text, SessionWait kind) const
{
    return showWait_ ? showWait_(text, kind) : nullptr;
}

CDirectoryListing CDeviceSession::List(const std::string& directory, bool withRows, bool rootRows,
                                       int sizeMode)
{
    CDirectoryListing listing;
    // One listing shows at most one message, however many of its requests fail.
    if (link_ == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return listing;
    }
    EfsNameList names;
    bool failed = !EfsListDirs(link_.get(), directory, &names);
    if (failed)
        names = {};
    for (const std::string& name : names) {
        listing.subdirectories.push_back(LastPathComponent(name));
        if (!withRows)
            continue;
        CDeviceRow row{LastPathComponent(name), ItemKind::directory, -1, std::nullopt};
        if (EfsStatsAvailable)
            row.size = static_cast<std::int64_t>(
                sizeMode == sizeModeActual ? DeviceTreeSize(link_.get(), name)
                                           : DeviceTreeAllocatedSize(link_.get(), name));
        listing.rows.push_back(std::move(row));
    }
    // Subdirectory rows always come before file rows; the module list relies on that order.
    if (withRows)
        failed |= !AddFileRows(directory, rootRows, sizeMode, listing);
    if (failed)
        ReportAppMessage(msgCannotReadEfs);
    // The module list is built from the root's rows while they are the last ones listed.
    if (withRows && rootRows && !failed)
        rootRows_ = CRootRows{listing.rows, sizeMode};
    else if (withRows)
        rootRows_.reset();
    return listing;
}

bool CDeviceSession::AddFileRows(const std::string& directory, bool rootRows, int sizeMode,
                                 CDirectoryListing& listing)
{
    EfsNameList names;
    if (!EfsListFiles(link_.get(), directory, &names))
        return false;
    for (const std::string& name : names) {
        CDeviceRow row{LastPathComponent(name), ItemKind::file, -1, std::nullopt};
        if (EfsStatsAvailable) {
            uint32_t seconds = 0;
            uint32_t bytes = 0;
            // A file whose information cannot be read shows neither size nor date.
            if (EfsGetFileInfo(link_.get(), name, nullptr, &seconds, &bytes)) {
                row.size = sizeMode == sizeModeAllocated
                               ? static_cast<std::int64_t>(EfsAllocatedSize(bytes))
                               : static_cast<std::int64_t>(bytes);
                row.modified = seconds;
            }
        }
        // The root shows only module information files besides its directories.
        if (rootRows && !NamesMifFile(row.name))
            continue;
        listing.rows.push_back(std::move(row));
    }
    return true;
}

void CDeviceSession::SizeModeChanged(int sizeMode)
{
    if (sizeMode != moduleCache_.sizeMode)
        moduleCache_.stale = true;
}

bool CDeviceSession::RebuildModuleCache(bool showsRoot, int sizeMode)
{
    const bool useRows = showsRoot && rootRows_ && rootRows_->sizeMode == sizeMode;
    std::vector<ModuleEntry> modules;
    const bool listed = useRows ? (modules = ModulesFromRows(rootRows_->rows), true)
                                : ModulesFromDevice(link_.get(), EfsStatsAvailable, sizeMode, modules);
    if (!listed) {
        // The cache stays stale, so the next list asks the device again rather than showing
        // an empty list as if no module were stored.
        moduleCache_.modules.clear();
        ReportAppMessage(msgCannotListModules);
        return useRows;
    }
    moduleCache_.modules = std::move(modules);
    moduleCache_.stale = false;
    moduleCache_.sizeMode = sizeMode;
    if (moduleCache_.modules.empty())
        ReportAppMessage(msgNoModules);
    return useRows;
}

void CDeviceSession::Reset()
{
    AppMessage result;
    {
        auto wait = ShowWait(msgResetting, SessionWait::plain);
        result = ResetPhone(link_.get());
    }
    ReportAppMessage(result);
}

void CDeviceSession::Offline()
{
    AppMessage result;
    {
        auto wait = ShowWait(msgGoingOffline, SessionWait::plain);
        result = SetPhoneOffline(link_.get());
    }
    ReportAppMessage(result);
}
