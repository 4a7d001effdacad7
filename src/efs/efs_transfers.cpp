#include "efs/efs_transfers.h"

#include <algorithm>
#include <limits>

#include "efs/efs_paths.h"

CEfsIteration::CEfsIteration(EfsSubcommand subcommand_, std::string directory_)
    : subcommand(subcommand_), directory(std::move(directory_))
{
}

std::optional<EfsRequest> CEfsIteration::Request() const
{
    return BuildEfsIterateRequest(subcommand, sequence, directory);
}

EfsStep CEfsIteration::Accept(EfsReplyBytes reply)
{
    EfsIterationReply step = ReadEfsIterationReply(reply);
    switch (step.kind) {
    case EfsIterationReply::kindEnd:
        return EfsStep::stepDone;
    case EfsIterationReply::kindFailure:
        return EfsStep::stepFailed;
    case EfsIterationReply::kindEntry:
        break;
    }
    // Every entry counts towards the bound, stored or not, so a handset that repeats odd names
    // forever cannot keep the iteration going.
    if (sequence >= efsMaxListingEntries) {
        tooManyEntries = true;
        return EfsStep::stepFailed;
    }
    ++sequence;
    if (IsUsableEntryName(step.name))
        names.push_back(std::move(step.name));
    return EfsStep::stepContinue;
}

CEfsFileRead::CEfsFileRead(std::string path_) : path(std::move(path_)) {}

std::optional<EfsRequest> CEfsFileRead::Request() const
{
    if (!started)
        return BuildEfsReadFirstRequest(path);
    return BuildEfsReadNextRequest(sequence);
}

EfsStep CEfsFileRead::Accept(EfsReplyBytes reply)
{
    if (!started) {
        const auto block = ReadEfsReadFirstReply(reply);
        if (!block || !block->totalLength)
            return EfsStep::stepFailed;
        started = true;
        totalLength = *block->totalLength;
        return AcceptBlock(*block);
    }
    const auto block = ReadEfsReadNextReply(reply);
    // A continuation that adds nothing yet still announces more would never end the read.
    if (!block || (block->more && block->data.empty()))
        return EfsStep::stepFailed;
    return AcceptBlock(*block);
}

EfsStep CEfsFileRead::AcceptBlock(const EfsReadBlock& block)
{
    if (block.data.size() > totalLength - received)
        return EfsStep::stepFailed;
    data.insert(data.end(), block.data.begin(), block.data.end());
    received += block.data.size();
    if (block.more) {
        sequence = NextEfsSequence(sequence);
        return EfsStep::stepContinue;
    }
    return received == totalLength ? EfsStep::stepDone : EfsStep::stepFailed;
}

CEfsFileWrite::CEfsFileWrite(std::string path_, uint8_t mode_,
                             const EfsFileAttributes& attributes_,
                             std::span<const uint8_t> data_)
    : path(std::move(path_)), mode(mode_), attributes(attributes_), data(data_)
{
}

std::span<const uint8_t> CEfsFileWrite::CurrentBlock() const
{
    return data.subspan(offset, std::min(efsBlockSize, data.size() - offset));
}

std::optional<EfsRequest> CEfsFileWrite::Request() const
{
    if (data.size() > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    const auto block = CurrentBlock();
    const bool more = !endingEarly && offset + block.size() < data.size();
    if (sequence == 0)
        return BuildEfsWriteFirstBlock(more, mode, static_cast<uint32_t>(data.size()), attributes,
                                       path, block);
    return BuildEfsWriteNextBlock(sequence, more, block);
}

EfsStep CEfsFileWrite::Accept(EfsReplyBytes reply)
{
    if (!IsGoodEfsReply(reply))
        return EfsStep::stepFailed;
    started = true;
    if (endingEarly)
        return EfsStep::stepFailed;  // the write ended without its data
    offset += CurrentBlock().size();
    if (offset >= data.size())
        return EfsStep::stepDone;
    sequence = NextEfsSequence(sequence);
    return EfsStep::stepContinue;
}
