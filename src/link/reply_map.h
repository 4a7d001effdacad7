// Completed commands by tag, waiting for their senders to take them.
#pragma once

#include <mutex>

#include <cstdint>
#include <map>

#include "link/diag_command.h"

// Despite the name it matches no reply to a request: it only holds finished commands by tag.
class CReplyMap {
public:
    void Insert(uint32_t tag, DiagCommandPtr record);  // replaces a record under the same tag
    DiagCommandPtr Take(uint32_t tag);                 // null when absent
    size_t Count();

private:
    std::mutex lock;
    std::map<uint32_t, DiagCommandPtr> records;
};
