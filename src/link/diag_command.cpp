#include "link/diag_command.h"

#include <array>
#include <mutex>
#include <vector>

#include "link/frame_codec.h"

std::atomic<long> CDiagCommand::liveCount{0};

namespace {

// Completion events outlive their commands here and serve the next ones: making and closing a
// kernel object for every command costs more than the rest of its bookkeeping on a fast line.
// An event returns only when its record is freed, so no holder can still set or wait on it.
struct EventPool {
    std::mutex lock;
    std::vector<std::unique_ptr<CSyncEvent>> events;
    static constexpr size_t limit = 16;
};

EventPool& Pool()
{
    static EventPool* const pool = new EventPool;  // never freed: records may die during exit
    return *pool;
}

}  // namespace

CDiagCommand::CDiagCommand(PayloadEncoding payloadEncoding) : encoding(payloadEncoding)
{
    liveCount.fetch_add(1, std::memory_order_relaxed);
}

CDiagCommand::~CDiagCommand()
{
    liveCount.fetch_sub(1, std::memory_order_relaxed);
    if (completionEvent && completionEvent->Valid()) {
        EventPool& pool = Pool();
        std::lock_guard guard(pool.lock);
        if (pool.events.size() < EventPool::limit)
            pool.events.push_back(std::move(completionEvent));
    }
}

long CDiagCommand::LiveCount()
{
    return liveCount.load(std::memory_order_relaxed);
}

LinkStatus CDiagCommand::BuildFrame(const uint8_t* payload, uint32_t length)
{
    if (payload == nullptr || length < 1 || length > frameMaxPayload)
        return linkStatusFail;
    if (encoding == encRaw) {
        frame.assign(payload, payload + length);
        return linkStatusOk;
    }
    // Encoded straight into the frame's own storage, then cut to the frame's length.
    frame.resize(frameWorkAreaSize);
    const bool noOpeningFlag = !IsDownloadKind(linkKind);
    const size_t n = EncodeFrame(payload, length, frame.data(), noOpeningFlag);
    frame.resize(n);
    if (n == 0)
        return linkStatusFail;
    request.assign(payload, payload + length);
    return linkStatusOk;
}

bool CDiagCommand::CreateCompletionEvent()
{
    {
        EventPool& pool = Pool();
        std::lock_guard guard(pool.lock);
        if (!pool.events.empty()) {
            completionEvent = std::move(pool.events.back());
            pool.events.pop_back();
        }
    }
    if (completionEvent)
        completionEvent->Reset();
    else
        completionEvent = std::make_unique<CSyncEvent>(EventReset::manual);
    return completionEvent->Valid();
}

DiagCommandPtr MakeNotificationRecord(int32_t type, const uint8_t* bytes, size_t length)
{
    auto record = std::make_shared<CDiagCommand>(encFramed);
    record->type = type;
    if (bytes != nullptr && length > 0)
        record->notice.assign(bytes, bytes + length);
    return record;
}

uint32_t NextCommandTag()
{
    static std::mutex tagLock;
    static uint32_t lastTag = 0;
    std::lock_guard guard(tagLock);
    return ++lastTag;
}
