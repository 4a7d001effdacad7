// The master side of a pseudo-terminal, for a program that plays the far end of a serial line.
// The slave stays open as long as the master does, so the master never sees a hang-up between
// clients. Every wait can be ended at once from another thread, and stays ended, by Wake().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/host_line.h"
#include "platform/sync_event.h"

class CPtyMaster final : public CHostLine {
public:
    // Opens a pair whose slave is raw at 38400 bits/s. nullptr on failure, with the reason in error.
    static std::unique_ptr<CPtyMaster> Open(std::string& error);

    ~CPtyMaster() override;
    CPtyMaster(const CPtyMaster&) = delete;
    CPtyMaster& operator=(const CPtyMaster&) = delete;

    // The terminal a client opens (e.g. "/dev/pts/7").
    const std::string& SlavePath() const override { return slavePath; }

    // Whatever has arrived, at most capacity bytes, without waiting.
    PtyTransfer Read(uint8_t* buffer, size_t capacity) override;
    // As many of the bytes as the line takes now, without waiting.
    PtyTransfer Write(const uint8_t* bytes, size_t count) override;
    // Waits up to timeoutMs (or waitInfinite) for the watched direction or a wake-up.
    PtyWaitResult Wait(PtyWatch watch, uint32_t timeoutMs) override;
    // Ends the current wait and every later one.
    void Wake() override;

    // The line rate a client set on the slave, in bits per second (0 when unknown).
    uint32_t SlaveBaud() const override;

private:
    CPtyMaster(int master, int slave, std::string path);

    const int masterFd;
    const int slaveFd;
    const std::string slavePath;
    CSyncEvent wake{EventReset::manual};
};
