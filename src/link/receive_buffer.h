// The receive thread's stream cutter: a 4096-byte buffer of received bytes that hands out
// every complete, valid frame (cut at the 0x7E flags) and keeps the rest for the next read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

class CReceiveBuffer {
public:
    static constexpr size_t capacity = 4096;
    static constexpr size_t minimumFreeSpace = 2048;

    // Makes room for the next read and returns where it may write. When less than 2048 bytes
    // are free the unparsed bytes move to the front; more than 2048 of them (noise without a
    // flag) are discarded instead. At least 2048 bytes are free afterwards.
    uint8_t* PrepareRead(size_t& freeSpace);
    // Takes in the bytes a read wrote at the place PrepareRead returned.
    void Commit(size_t count);

    using PacketHandler = std::function<void(const uint8_t* packet, size_t length)>;
    // Cuts every frame closed by a flag and hands each one that decodes to onPacket, in order;
    // short or corrupt frames are dropped, and onDamaged (may be empty) hears of each frame of
    // at least 4 bytes whose check fails. Does nothing while fewer than 4 bytes are unparsed.
    void CutFrames(const PacketHandler& onPacket, const std::function<void()>& onDamaged = {});

    size_t Unparsed() const { return end - start; }

private:
    std::array<uint8_t, capacity> data{};
    size_t start = 0;  // first unparsed byte
    size_t end = 0;    // one past the last received byte
};
