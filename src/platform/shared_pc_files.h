// PC files read once for several sessions: the sessions of a several-handset run load the same
// module, so the first to open a file reads it from the disk and the others get the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

using SharedBytes = std::shared_ptr<const std::vector<uint8_t>>;

class CSharedPcFiles {
public:
    // Files larger than this are read from the disk by each session, never held in memory.
    static constexpr uint64_t largestShared = 64u * 1024 * 1024;

    // The bytes of path: read by read on the first call for path (others for it wait meanwhile),
    // the same result on every later call; nothing when that read failed.
    SharedBytes Get(const std::string& path, const std::function<SharedBytes()>& read);

    // How many times a read ran, for tests and benchmarks.
    unsigned Reads() const;

private:
    struct CEntry {
        std::once_flag once;
        SharedBytes bytes;
    };
    mutable std::mutex lock;
    std::map<std::string, std::shared_ptr<CEntry>> entries;
    unsigned reads = 0;
};
