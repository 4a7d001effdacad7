#include "sim/efs_responder.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace sim {

namespace {

constexpr size_t hostileLongNameBytes = 100;
constexpr size_t hostileExtraEntries = 150;
constexpr uint32_t hostileLengthExcess = 300;

std::vector<uint8_t> StatusReply(uint8_t subcommand, EfsStatusCode status)
{
    return {dmEfs, subcommand, status};
}

uint32_t Clamp32(uint64_t value)
{
    return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
}

// A name field at offset: a length byte L, then L bytes ending in the one 0x00 terminator.
struct NameField {
    EfsStatusCode status = efsStatusOk;
    DevicePath path;
    size_t end = 0;  // offset just past the field
};

NameField ReadNameField(const std::vector<uint8_t>& request, size_t offset)
{
    NameField field;
    if (offset >= request.size()) {
        field.status = efsStatusParameterError;
        return field;
    }
    const size_t length = request[offset];
    if (length == 0 || offset + 1 + length > request.size() || request[offset + length] != 0) {
        field.status = efsStatusParameterError;
        return field;
    }
    const auto* first = reinterpret_cast<const char*>(request.data() + offset + 1);
    const std::string_view text(first, length - 1);
    if (text.find('\0') != std::string_view::npos) {
        field.status = efsStatusBadFileName;
        return field;
    }
    auto path = ParseDevicePath(text);
    if (!path) {
        field.status = efsStatusBadFileName;
        return field;
    }
    field.path = std::move(*path);
    field.end = offset + 1 + length;
    return field;
}

bool Listed(const DevicePath& path, const std::set<std::string>& paths)
{
    for (const auto& text : paths) {
        auto listed = ParseDevicePath(text);
        if (listed && *listed == path)
            return true;
    }
    return false;
}

bool Failing(const DevicePath& path, const SimBehaviour& behaviour)
{
    return Listed(path, behaviour.failingPaths);
}

// Why a request naming this path is refused: a bad name field, or a path set to fail.
EfsStatusCode PathRefusal(const NameField& name, const SimBehaviour& behaviour)
{
    if (name.status != efsStatusOk)
        return name.status;
    return Failing(name.path, behaviour) ? efsStatusDeviceFailure : efsStatusOk;
}

}  // namespace

CEfsResponder::CEfsResponder(CSimFileSystem& fs) : fileSystem(fs) {}

std::vector<uint8_t> CEfsResponder::Handle(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    const bool blockTransfer =
        request.size() >= 3 && (request[1] == efsWriteFile || (request[1] == efsReadFile && request[2] != 0));
    // A handset that closes a file at its last block refuses that block when it comes again.
    const bool repeatRefused = behaviour.closesFinishedWrites && request[1] == efsWriteFile &&
                               request.size() >= 4 && request[3] == 0;
    if (blockTransfer && request == previousRequest && !repeatRefused)
        return previousReply;
    std::vector<uint8_t> reply = Dispatch(request, behaviour);
    previousRequest = request;
    previousReply = reply;
    return reply;
}

void CEfsResponder::Reset()
{
    reading = ReadSession{};
    writing = WriteSession{};
    previousRequest.clear();
    previousReply.clear();
}

std::vector<uint8_t> CEfsResponder::Dispatch(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    if (request.size() < 2)
        return {dmBadLength, dmEfs};
    switch (request[1]) {
    case efsMkDir:
    case efsRmDir:
    case efsRemoveFile:
        return NameOperation(request, behaviour);
    case efsListDirs:
    case efsListFiles:
        return List(request, behaviour);
    case efsReadFile:
        return Read(request, behaviour);
    case efsWriteFile:
        return Write(request, behaviour);
    case efsGetAttributes:
        return Attributes(request, behaviour);
    case efsIterateDirs:
    case efsIterateFiles:
        if (behaviour.noIteration)
            return DmErrorReply(dmBadCommand, request);
        return Iterate(request, behaviour);
    case efsSpace:
        return Space(behaviour);
    default:
        return StatusReply(request[1], efsStatusUnknownOperation);
    }
}

std::vector<uint8_t> CEfsResponder::NameOperation(const std::vector<uint8_t>& request,
                                                  const SimBehaviour& behaviour)
{
    const uint8_t subcommand = request[1];
    const NameField name = ReadNameField(request, 2);
    if (const EfsStatusCode refused = PathRefusal(name, behaviour); refused != efsStatusOk)
        return StatusReply(subcommand, refused);
    EfsStatusCode status = efsStatusOk;
    if (subcommand == efsMkDir)
        status = fileSystem.MakeDir(name.path);
    else if (subcommand == efsRmDir)
        status = fileSystem.RemoveDir(name.path);
    else
        status = fileSystem.RemoveFile(name.path);
    return StatusReply(subcommand, status);
}

EfsStatusCode CEfsResponder::Entries(const DevicePath& directory, bool directories,
                                     const SimBehaviour& behaviour, std::vector<std::string>& names)
{
    const EfsStatusCode status = fileSystem.List(directory, directories, names);
    if (status != efsStatusOk)
        return status;
    if (behaviour.hostileLongNames)
        names.push_back(std::string(hostileLongNameBytes - 4, 'L') + (directories ? "_dir" : ".txt"));
    if (behaviour.hostileManyEntries) {
        for (size_t i = 0; i < hostileExtraEntries; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, directories ? "extra_dir%03zu" : "extra%03zu.txt", i);
            names.emplace_back(name);
        }
    }
    return efsStatusOk;
}

void CEfsResponder::AddNamesakeSiblings(const DevicePath& directory, std::vector<DevicePath>& entries)
{
    if (directory.empty())
        return;
    DevicePath parent(directory.begin(), directory.end() - 1);
    std::vector<std::string> siblings;
    if (fileSystem.List(parent, true, siblings) != efsStatusOk)
        return;
    for (const auto& sibling : siblings) {
        if (sibling == directory.back() || !sibling.starts_with(directory.back()))
            continue;
        entries.push_back(parent);
        entries.back().push_back(sibling);
    }
}

std::vector<uint8_t> CEfsResponder::List(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    const uint8_t subcommand = request[1];
    const NameField name = ReadNameField(request, 2);
    if (const EfsStatusCode refused = PathRefusal(name, behaviour); refused != efsStatusOk)
        return StatusReply(subcommand, refused);
    std::vector<std::string> names;
    const EfsStatusCode status = Entries(name.path, subcommand == efsListDirs, behaviour, names);
    if (status != efsStatusOk)
        return StatusReply(subcommand, status);

    std::vector<uint8_t> block;
    for (const auto& entry : names) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(0);
    }
    std::vector<uint8_t> reply = StatusReply(subcommand, efsStatusOk);
    PutLe16(reply, Clamp32(names.size()) & 0xFFFF);
    const size_t claimed = block.size() + (behaviour.hostileLengths ? hostileLengthExcess : 0);
    if (reply.size() + 2 + block.size() > maxReplyPayload || claimed > 0xFFFF)
        return StatusReply(subcommand, efsStatusMoreRecords);  // never a silently cut listing
    PutLe16(reply, static_cast<uint32_t>(claimed));
    reply.insert(reply.end(), block.begin(), block.end());
    return reply;
}

std::vector<uint8_t> CEfsResponder::Iterate(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    const uint8_t subcommand = request[1];
    if (request.size() < 7)
        return StatusReply(subcommand, efsStatusParameterError);
    const uint32_t sequence = GetLe32(request.data() + 2);
    const NameField name = ReadNameField(request, 6);
    if (const EfsStatusCode refused = PathRefusal(name, behaviour); refused != efsStatusOk)
        return StatusReply(subcommand, refused);
    const bool directories = subcommand == efsIterateDirs;
    std::vector<std::string> names;
    const EfsStatusCode status = Entries(name.path, directories, behaviour, names);
    if (status != efsStatusOk)
        return StatusReply(subcommand, status);
    std::vector<DevicePath> entries;
    for (const auto& entry : names) {
        entries.push_back(name.path);
        entries.back().push_back(entry);
    }
    if (behaviour.siblingsInDirListings && directories)
        AddNamesakeSiblings(name.path, entries);
    if (sequence >= entries.size())
        return StatusReply(subcommand, efsStatusEnumerationDone);

    const DevicePath& entryPath = entries[sequence];
    const std::string path = DevicePathText(entryPath);
    SimEntryInfo info;
    if (fileSystem.Stat(entryPath, info) != efsStatusOk)
        info = SimEntryInfo{directories, 0, 0, {}};

    // Entry details: kind, size, attribute record, modification time, then reserved bytes.
    std::vector<uint8_t> reply = StatusReply(subcommand, efsStatusOk);
    PutLe32(reply, directories ? 1u : 0u);
    PutLe32(reply, Clamp32(info.size));
    PutLe16(reply, info.attributes.attributes);
    reply.push_back(info.attributes.option1);
    reply.push_back(info.attributes.option2);
    PutLe32(reply, info.deviceTime);
    reply.resize(25, 0);
    reply.insert(reply.end(), path.begin(), path.end());
    if (!behaviour.hostileLengths)  // hostile: the name runs to the end of the packet unterminated
        reply.push_back(0);
    if (reply.size() > maxReplyPayload)
        return StatusReply(subcommand, efsStatusBadFileName);
    return reply;
}

std::vector<uint8_t> CEfsResponder::Attributes(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    const NameField name = ReadNameField(request, 2);
    if (const EfsStatusCode refused = PathRefusal(name, behaviour); refused != efsStatusOk)
        return StatusReply(efsGetAttributes, refused);
    SimEntryInfo info;
    const EfsStatusCode status = fileSystem.Stat(name.path, info);
    if (status != efsStatusOk)
        return StatusReply(efsGetAttributes, status);
    std::vector<uint8_t> reply = StatusReply(efsGetAttributes, efsStatusOk);
    PutLe16(reply, info.attributes.attributes);
    reply.push_back(info.attributes.option1);
    reply.push_back(info.attributes.option2);
    PutLe32(reply, info.deviceTime);
    PutLe32(reply, Clamp32(info.size));
    return reply;
}

std::vector<uint8_t> CEfsResponder::Read(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    if (request.size() < 3)
        return StatusReply(efsReadFile, efsStatusParameterError);
    const uint8_t sequence = request[2];
    if (sequence != 0) {
        if (!reading.active)
            return StatusReply(efsReadFile, efsStatusFileNotOpen);
        if (sequence == reading.lastSequence && !reading.lastReply.empty())
            return reading.lastReply;
        if (sequence != NextSequence(reading.lastSequence)) {
            reading.active = false;
            return StatusReply(efsReadFile, efsStatusParameterError);
        }
        if (reading.offset >= reading.data.size())
            return StatusReply(efsReadFile, efsStatusEndOfFile);
        return ReadBlock(sequence, false, behaviour);
    }

    reading = ReadSession{};
    const NameField name = ReadNameField(request, 3);
    if (const EfsStatusCode refused = PathRefusal(name, behaviour); refused != efsStatusOk)
        return StatusReply(efsReadFile, refused);
    std::vector<uint8_t> data;
    const EfsStatusCode status = name.path.empty() ? efsStatusFileMissing : fileSystem.ReadFile(name.path, data);
    if (status != efsStatusOk)
        return StatusReply(efsReadFile, status);
    if (data.size() > UINT32_MAX)
        return StatusReply(efsReadFile, efsStatusDeviceFailure);
    reading.active = true;
    reading.data = std::move(data);
    return ReadBlock(0, true, behaviour);
}

std::vector<uint8_t> CEfsResponder::ReadBlock(uint8_t sequence, bool first, const SimBehaviour& behaviour)
{
    uint32_t announced = static_cast<uint32_t>(reading.data.size());
    if (first && behaviour.hostileReadOverrun) {
        // Announce half of what will be sent; an empty file still sends one block.
        announced /= 2;
        if (reading.data.empty())
            reading.data.assign(16, 'X');
    }
    const size_t length = std::min(efsBlockSize, reading.data.size() - reading.offset);
    const size_t next = reading.offset + length;
    const bool more = next < reading.data.size();

    std::vector<uint8_t> reply = StatusReply(efsReadFile, efsStatusOk);
    reply.push_back(behaviour.readSequenceZero ? uint8_t{0} : sequence);
    reply.push_back(more ? 1 : 0);
    if (first)
        PutLe32(reply, announced);
    PutLe16(reply, static_cast<uint32_t>(length) + (behaviour.hostileLengths ? hostileLengthExcess : 0));
    const auto begin = reading.data.begin() + static_cast<long>(reading.offset);
    reply.insert(reply.end(), begin, begin + static_cast<long>(length));
    reading.offset = next;
    reading.lastSequence = sequence;
    reading.lastReply = reply;
    return reply;
}

std::vector<uint8_t> CEfsResponder::Write(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    if (request.size() < 4)
        return StatusReply(efsWriteFile, efsStatusParameterError);
    return request[2] == 0 ? WriteFirst(request, behaviour) : WriteNext(request, behaviour);
}

std::vector<uint8_t> CEfsResponder::WriteFirst(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    if (behaviour.strictWrites && writing.active)
        return StatusReply(efsWriteFile, efsStatusIllegalOperation);
    writing = WriteSession{};
    if (request.size() < 14)
        return StatusReply(efsWriteFile, efsStatusParameterError);
    const bool more = request[3] != 0;
    const uint32_t total = GetLe32(request.data() + 5);
    const EfsAttributeRecord attributes{GetLe16(request.data() + 9), request[11], request[12]};
    const NameField name = ReadNameField(request, 13);
    if (name.status != efsStatusOk)
        return StatusReply(efsWriteFile, name.status);
    if (name.end + 2 > request.size())
        return StatusReply(efsWriteFile, efsStatusParameterError);
    const size_t length = GetLe16(request.data() + name.end);
    if (length > efsBlockSize || name.end + 2 + length > request.size() || length > total)
        return StatusReply(efsWriteFile, efsStatusParameterError);
    if (name.path.empty())
        return StatusReply(efsWriteFile, efsStatusBadFileName);
    if (Failing(name.path, behaviour))
        return StatusReply(efsWriteFile, efsStatusDeviceFailure);

    SimEntryInfo parent;
    const DevicePath parentPath(name.path.begin(), name.path.end() - 1);
    const EfsStatusCode parentStatus = fileSystem.Stat(parentPath, parent);
    if (parentStatus == efsStatusIllegalOperation)
        return StatusReply(efsWriteFile, parentStatus);  // a path the file system refuses
    if (parentStatus != efsStatusOk || !parent.isDirectory)
        return StatusReply(efsWriteFile, efsStatusDirMissing);
    SimEntryInfo existing;
    uint64_t reclaimed = 0;
    const EfsStatusCode existingStatus = fileSystem.Stat(name.path, existing);
    if (existingStatus == efsStatusIllegalOperation)
        return StatusReply(efsWriteFile, existingStatus);
    if (existingStatus == efsStatusOk) {
        if (existing.isDirectory)
            return StatusReply(efsWriteFile, efsStatusIllegalOperation);
        reclaimed = AllocatedBytes(existing.size);
    }
    if (AllocatedBytes(total) > fileSystem.FreeBytes() + reclaimed)
        return StatusReply(efsWriteFile, efsStatusOutOfSpace);

    const auto data = request.begin() + static_cast<long>(name.end + 2);
    writing.active = true;
    writing.path = name.path;
    writing.total = total;
    writing.attributes = attributes;
    writing.data.assign(data, data + static_cast<long>(length));
    writing.lastSequence = 0;
    return BlockTaken(more, behaviour);
}

std::vector<uint8_t> CEfsResponder::WriteNext(const std::vector<uint8_t>& request, const SimBehaviour& behaviour)
{
    const uint8_t sequence = request[2];
    const bool more = request[3] != 0;
    if (!writing.active)
        return StatusReply(efsWriteFile, efsStatusFileNotOpen);
    // A block sent again because its acknowledgement was lost is acknowledged again, unstored.
    if (sequence == writing.lastSequence && writing.lastTaken)
        return StatusReply(efsWriteFile, efsStatusOk);
    // Out of order, malformed or beyond the announced total: the transfer is abandoned and the
    // stored file keeps its old content.
    const size_t length = request.size() >= 6 ? GetLe16(request.data() + 4) : 0;
    // A strict handset refuses the block and keeps the write open.
    if (sequence != NextSequence(writing.lastSequence) || request.size() < 6 || length == 0 ||
        length > efsBlockSize || 6 + length > request.size() || writing.data.size() + length > writing.total) {
        if (!behaviour.strictWrites)
            writing = WriteSession{};
        return StatusReply(efsWriteFile, efsStatusParameterError);
    }
    if (behaviour.writeBlockLimit != 0 && writing.blocks >= behaviour.writeBlockLimit) {
        writing = WriteSession{};
        return StatusReply(efsWriteFile, efsStatusDeviceFailure);
    }
    writing.data.insert(writing.data.end(), request.begin() + 6, request.begin() + 6 + static_cast<long>(length));
    writing.lastSequence = sequence;
    writing.lastTaken = true;
    return BlockTaken(more, behaviour);
}

std::vector<uint8_t> CEfsResponder::BlockTaken(bool more, const SimBehaviour& behaviour)
{
    ++writing.blocks;
    if (!more)
        return StatusReply(efsWriteFile, Commit(behaviour));
    if (behaviour.writesInPlace)
        fileSystem.WriteFile(writing.path, writing.data, writing.attributes);
    return StatusReply(efsWriteFile, efsStatusOk);
}

EfsStatusCode CEfsResponder::Commit(const SimBehaviour& behaviour)
{
    WriteSession finished = std::move(writing);
    writing = WriteSession{};
    if (finished.data.size() != finished.total)
        return efsStatusParameterError;  // fewer bytes than announced: keep the old file
    if (!finished.data.empty() && Listed(finished.path, behaviour.shortenedPaths))
        finished.data.pop_back();  // lost without a word: only the file's size tells
    return fileSystem.WriteFile(finished.path, finished.data, finished.attributes);
}

std::vector<uint8_t> CEfsResponder::Space(const SimBehaviour& behaviour)
{
    std::vector<uint8_t> reply = StatusReply(efsSpace, efsStatusOk);
    PutLe32(reply, Clamp32(fileSystem.FreeBytes()));
    PutLe32(reply, behaviour.usedFigureZero ? 0 : Clamp32(fileSystem.UsedBytes()));
    return reply;
}

}  // namespace sim
