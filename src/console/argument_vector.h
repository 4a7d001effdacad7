// The console driver's argument vector: 32 fixed slots of 128 bytes, slot 0 holding the
// application name. Arguments that do not fit are refused as a whole, never cut or overrun.
#pragma once

#include <array>
#include <string>
#include <vector>

class CArgumentVector {
public:
    static constexpr size_t slotCount = 32;
    static constexpr size_t slotSize = 128;  // an argument holds at most 127 bytes

    // Fills slot 0 with appName and the following slots with arguments. Returns false, leaving
    // the vector with only slot 0, when there are more than 31 arguments or one is too long.
    bool Fill(const std::string& appName, const std::vector<std::string>& arguments);

    int Count() const { return count_; }
    char** Vector() { return pointers_.data(); }

private:
    bool Store(const std::string& text);

    std::array<std::array<char, slotSize>, slotCount> slots_{};
    std::array<char*, slotCount + 1> pointers_{};
    int count_ = 0;
};
