#include "platform/shared_pc_files.h"

SharedBytes CSharedPcFiles::Get(const std::string& path, const std::function<SharedBytes()>& read)
{
    std::shared_ptr<CEntry> entry;
    {
        std::lock_guard guard(lock);
        auto& slot = entries[path];
        if (!slot)
            slot = std::make_shared<CEntry>();
        entry = slot;
    }
    std::call_once(entry->once, [&] {
        entry->bytes = read();
        std::lock_guard guard(lock);
        ++reads;
    });
    return entry->bytes;
}

unsigned CSharedPcFiles::Reads() const
{
    std::lock_guard guard(lock);
    return reads;
}
