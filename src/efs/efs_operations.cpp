#include "efs/efs_operations.h"

#include <limits>
#include <span>

#include "report/reporter.h"
#include "efs/efs_paths.h"
#include "efs/efs_replies.h"
#include "efs/efs_reply_ties.h"
#include "efs/efs_transfers.h"
#include "link/diag_port.h"
#include "platform/stop_request.h"

namespace {

using Reply = std::vector<uint8_t>;

// Sends one request and keeps the reply bytes. False when the request's own length rule
// disagrees with its bytes or when the link reports any failure; linkResult and sent (may be
// null) receive the link's own result and how the request went.
bool Exchange(CDiagPort& port, const EfsRequest& request, uint32_t timeoutMs, Reply& reply,
              LinkStatus* linkResult = nullptr, SendReport* sent = nullptr)
{
    const size_t length = EfsRequestLength(request);
    reply.assign(efsReplyCapacity, 0);
    if (length == 0 || length != request.size())
        return false;
    int16_t replyLength = static_cast<int16_t>(efsReplyCapacity);
    const ReplyMatcherPtr ties =
        port.ReplyMatcherFor(efsCommandCode, [] { return std::make_shared<CEfsReplyTies>(); });
    const LinkStatus status =
        port.SendSync(static_cast<uint32_t>(length), request.data(), cmdTypeDiag, 0, timeoutMs,
                      &replyLength, reply.data(), ties, sent);
    if (linkResult != nullptr)
        *linkResult = status;
    if (status != linkStatusOk || replyLength < 0 ||
        static_cast<size_t>(replyLength) > efsReplyCapacity) {
        reply.clear();
        return false;
    }
    reply.resize(static_cast<size_t>(replyLength));
    return true;
}

bool CheckPort(const CDiagPort* port)
{
    if (port != nullptr)
        return true;
    ReportAppMessage(msgInvalidPortHandle);
    return false;
}

// The status that, after the request was written more than once, says only that an earlier
// write already did the work: the directory made, the entry removed.
std::optional<uint8_t> DoneByAnEarlierWrite(EfsSubcommand subcommand)
{
    switch (subcommand) {
    case efsMkDir: return efsStatusDirectoryExists;
    case efsRmDir: return efsStatusDirectoryMissing;
    case efsRemoveFile: return efsStatusFileMissing;
    default: return std::nullopt;
    }
}

// doneByAnEarlierWrite: whether a retry's refusal for work already done may be taken as the
// first write's success. For a directory that was there before, it may not: the refusal then
// means the directory is someone else's.
bool NameOperation(CDiagPort* port, EfsSubcommand subcommand, const std::string& path,
                   bool doneByAnEarlierWrite = true)
{
    if (!CheckPort(port) || path.empty())
        return false;
    const auto request = BuildEfsNameRequest(subcommand, path);
    Reply reply;
    SendReport sent;
    if (!request || !Exchange(*port, *request, efsNameTimeoutMs, reply, nullptr, &sent))
        return false;
    // A retry means what the first write meant: its refusal for work already done is success.
    return IsGoodEfsReply(reply) ||
           (doneByAnEarlierWrite && sent.writes > 1 &&
            EfsReplyStatus(reply) == DoneByAnEarlierWrite(subcommand));
}

enum class IterationOutcome { complete, incomplete, tooManyEntries, stopped };

IterationOutcome Iterate(CDiagPort& port, EfsSubcommand subcommand, const std::string& directory,
                         EfsNameList& names)
{
    CEfsIteration iteration(subcommand, directory);
    Reply reply;
    for (;;) {
        // A long listing inside a stopped operation ends here rather than after its last entry.
        if (StopDue())
            return IterationOutcome::stopped;
        const auto request = iteration.Request();
        if (!request || !Exchange(port, *request, efsIterateStepTimeoutMs, reply))
            return IterationOutcome::incomplete;
        switch (iteration.Accept(reply)) {
        case EfsStep::stepContinue:
            continue;
        case EfsStep::stepDone:
            names = iteration.TakeNames();
            return IterationOutcome::complete;
        case EfsStep::stepFailed:
            return iteration.TooManyEntries() ? IterationOutcome::tooManyEntries
                                              : IterationOutcome::incomplete;
        }
    }
}

// The single-request listing. Names carry their directory, bare only for the root, so every
// stored name is a usable path whichever listing produced it.
bool ListInOneRequest(CDiagPort& port, EfsSubcommand subcommand, const std::string& directory,
                      EfsNameList& names)
{
    const auto request = BuildEfsNameRequest(subcommand, directory);
    Reply reply;
    if (!request || !Exchange(port, *request, efsListTimeoutMs, reply))
        return false;
    auto listed = ReadEfsListingReply(reply);
    if (!listed)
        return false;
    for (auto& name : *listed) {
        if (!IsUsableEntryName(name))
            continue;
        names.push_back(directory.empty() ? std::move(name) : JoinDevicePath(directory, name));
    }
    return true;
}

bool List(CDiagPort* port, EfsSubcommand iterate, EfsSubcommand single,
          const std::string& directory, EfsNameList* names, uint32_t* count)
{
    if (count)
        *count = 0;
    if (!CheckPort(port))
        return false;
    if (names == nullptr) {
        ReportAppMessage(msgNullArgument);
        return false;
    }
    names->clear();
    if (directory.size() > efsMaxNameBytes)
        return false;
    bool listed = false;
    switch (Iterate(*port, iterate, directory, *names)) {
    case IterationOutcome::complete:
        listed = true;
        break;
    case IterationOutcome::incomplete:
        // Handsets without the iteration subcommands answer the one-request listing instead.
        names->clear();
        listed = ListInOneRequest(*port, single, directory, *names);
        break;
    case IterationOutcome::tooManyEntries:
    case IterationOutcome::stopped:
        break;
    }
    if (!listed) {
        names->clear();
        return false;
    }
    if (count)
        *count = static_cast<uint32_t>(names->size());
    return true;
}

bool QuerySpace(CDiagPort* port, uint32_t* bytes, bool wantFree)
{
    if (bytes)
        *bytes = 0;
    if (!CheckPort(port))
        return false;
    if (bytes == nullptr) {
        ReportAppMessage(msgNullArgument);
        return false;
    }
    if (port->GetPhoneStatus() != phoneStatusReady)
        return false;
    Reply reply;
    if (!Exchange(*port, BuildEfsSpaceRequest(), efsSpaceTimeoutMs, reply))
        return false;
    const auto fields = ReadEfsSpaceReply(reply);
    if (!fields)
        return false;
    *bytes = wantFree ? fields->freeBytes : fields->usedBytes;
    return true;
}

}  // namespace

bool EfsMakeDir(CDiagPort* port, const std::string& path, EfsDirPresence before)
{
    return NameOperation(port, efsMkDir, path, before == EfsDirPresence::absent);
}

bool EfsRemoveDir(CDiagPort* port, const std::string& path)
{
    return NameOperation(port, efsRmDir, path);
}

bool EfsRemoveFile(CDiagPort* port, const std::string& path)
{
    return NameOperation(port, efsRemoveFile, path);
}

bool EfsListFiles(CDiagPort* port, const std::string& directory, EfsNameList* names,
                  uint32_t* count)
{
    return List(port, efsIterateFiles, efsListFiles, directory, names, count);
}

bool EfsListDirs(CDiagPort* port, const std::string& directory, EfsNameList* names,
                 uint32_t* count)
{
    return List(port, efsIterateDirs, efsListDirs, directory, names, count);
}

EfsFileCheck EfsCheckFile(CDiagPort* port, const std::string& path)
{
    EfsFileCheck check;
    if (port == nullptr || path.empty())
        return check;
    const auto request = BuildEfsNameRequest(efsGetAttributes, path);
    Reply reply;
    if (!request || !Exchange(*port, *request, efsNameTimeoutMs, reply))
        return check;
    if (const auto fields = ReadEfsAttributesReply(reply))
        check = {EfsFileCheck::State::present, fields->attributes, fields->modificationTime, fields->size};
    else if (EfsReplyStatus(reply) == efsStatusFileMissing)
        check.state = EfsFileCheck::State::missing;
    return check;
}

bool EfsGetFileInfo(CDiagPort* port, const std::string& path, EfsFileAttributes* attributes,
                    uint32_t* modificationTime, uint32_t* size)
{
    if (!CheckPort(port))
        return false;
    const EfsFileCheck check = EfsCheckFile(port, path);
    if (check.state != EfsFileCheck::State::present)
        return false;
    if (attributes)
        *attributes = check.attributes;
    if (modificationTime)
        *modificationTime = check.modificationTime;
    if (size)
        *size = check.size;
    return true;
}

bool EfsReadFileInto(CDiagPort* port, const std::string& path, const EfsBlockSink& sink,
                     uint32_t* size, const EfsProgress& progress)
{
    if (size)
        *size = 0;
    if (!CheckPort(port) || path.empty())
        return false;
    const CStoppableOperation transfer;
    CEfsFileRead read(path);
    Reply reply;
    for (;;) {
        // A stop request ends the read between blocks, as a failed block would.
        if (StopDue())
            return false;
        const auto request = read.Request();
        const uint32_t timeoutMs = read.Started() ? efsReadNextTimeoutMs : efsReadFirstTimeoutMs;
        if (!request || !Exchange(*port, *request, timeoutMs, reply))
            return false;
        const EfsStep step = read.Accept(reply);
        if (step == EfsStep::stepFailed || (sink && !sink(read.TakeData())))
            return false;
        if (progress)
            progress(read.BytesDone(), read.TotalLength());
        if (step == EfsStep::stepDone)
            break;
    }
    if (size)
        *size = read.TotalLength();
    return true;
}

std::optional<std::vector<uint8_t>> EfsReadFile(CDiagPort* port, const std::string& path,
                                                uint32_t* size, const EfsProgress& progress)
{
    std::vector<uint8_t> contents;
    const auto keep = [&](std::span<const uint8_t> block) {
        contents.insert(contents.end(), block.begin(), block.end());
        return true;
    };
    if (!EfsReadFileInto(port, path, keep, size, progress))
        return std::nullopt;
    return contents;
}

namespace {

// Whether the file at path now has the length written; with proof, also that it is not the file
// that was there before (before: unknown when null).
bool FileShowsWrite(CDiagPort& port, const std::string& path, size_t length,
                    const EfsFileCheck* before, bool proof)
{
    const EfsFileCheck after = EfsCheckFile(&port, path);
    if (after.state != EfsFileCheck::State::present || after.size != length)
        return false;
    if (!proof)
        return true;
    if (before == nullptr || before->state == EfsFileCheck::State::unknown)
        return false;
    return before->state == EfsFileCheck::State::missing || before->size != length ||
           after.modificationTime > before->modificationTime;
}

}  // namespace

bool EfsWriteFile(CDiagPort* port, const std::string& path, uint8_t mode,
                  const EfsFileAttributes& attributes, const uint8_t* data, size_t length,
                  const EfsProgress& progress, const EfsFileCheck* before)
{
    if (!CheckPort(port))
        return false;
    // An empty file may come without a buffer; only data that is announced must be there.
    if (data == nullptr && length != 0) {
        ReportAppMessage(msgNullArgument);
        return false;
    }
    if (path.empty() || length > std::numeric_limits<uint32_t>::max())
        return false;
    const std::span<const uint8_t> bytes =
        length == 0 ? std::span<const uint8_t>() : std::span<const uint8_t>(data, length);
    const CStoppableOperation transfer;
    CEfsFileWrite write(path, mode, attributes, bytes);
    Reply reply;
    // A late or lost acknowledgement may have let a later one stand in for it: the file's size
    // then decides. A last block written twice may be refused although the first write finished
    // the file, or because it failed: there the size decides only where the old file could not
    // have it.
    bool unsure = false;
    for (;;) {
        // A stopped write is closed before anything else goes out: a handset keeps a write open
        // until it hears a last block and may refuse every other write meanwhile. When the next
        // block is the file's last anyway, it goes out as it is and finishes the file.
        if (StopDue() && (!write.Started() || !write.AtLastBlock())) {
            if (write.Started()) {
                write.EndEarly();
                if (const auto closing = write.Request())
                    Exchange(*port, *closing, efsWriteBlockTimeoutMs, reply);
            }
            return false;
        }
        const auto request = write.Request();
        SendReport sent;
        if (!request || !Exchange(*port, *request, efsWriteBlockTimeoutMs, reply, nullptr, &sent))
            return false;
        unsure = unsure || sent.attempts > 1;
        const bool last = write.BytesDone() + efsBlockSize >= write.TotalLength();
        const EfsStep step = write.Accept(reply);
        if (step == EfsStep::stepFailed)
            return last && sent.writes > 1 && FileShowsWrite(*port, path, length, before, true);
        if (progress)
            progress(write.BytesDone(), write.TotalLength());
        if (step == EfsStep::stepDone)
            return !unsure || FileShowsWrite(*port, path, length, before, false);
    }
}

bool EfsGetFreeSpace(CDiagPort* port, uint32_t* bytes)
{
    return QuerySpace(port, bytes, true);
}

bool EfsGetUsedSpace(CDiagPort* port, uint32_t* bytes)
{
    return QuerySpace(port, bytes, false);
}

AppMessage EfsProbe(CDiagPort* port)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    const auto request = BuildEfsNameRequest(efsListDirs, DeviceRootPath);
    Reply reply;
    LinkStatus linkResult = linkStatusFail;
    if (!request)
        return msgEfsNotSupported;
    if (!Exchange(*port, *request, efsNameTimeoutMs, reply, &linkResult))
        // A root listing too long for the buffer still comes from an EFS that answers.
        return linkResult == linkStatusReplyTooLong ? msgSuccess : msgEfsNotSupported;
    const auto status = EfsReplyStatus(reply);
    if (!status)
        return msgEfsNotSupported;
    return *status == efsStatusSuccess ? msgSuccess : msgEfsUnrecognised;
}

AppMessage EfsCheck(CDiagPort* port)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    AppMessage result = EfsProbe(port);
    if (result != msgSuccess && result != msgInvalidPortHandle)
        result = EfsProbe(port);
    return result;
}
