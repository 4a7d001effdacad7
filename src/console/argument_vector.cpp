#include "console/argument_vector.h"

#include <cstring>

bool CArgumentVector::Store(const std::string& text)
{
    if (static_cast<size_t>(count_) >= slotCount || text.size() >= slotSize)
        return false;
    auto& slot = slots_[static_cast<size_t>(count_)];
    std::memcpy(slot.data(), text.c_str(), text.size() + 1);
    pointers_[static_cast<size_t>(count_)] = slot.data();
    ++count_;
    return true;
}

bool CArgumentVector::Fill(const std::string& appName, const std::vector<std::string>& arguments)
{
    count_ = 0;
    pointers_.fill(nullptr);
    bool fits = Store(appName) && arguments.size() < slotCount;
    for (size_t i = 0; fits && i < arguments.size(); ++i)
        fits = Store(arguments[i]);
    if (!fits) {
        count_ = 0;
        pointers_.fill(nullptr);
        Store(appName);
    }
    return fits;
}
