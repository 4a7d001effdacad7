// A link to a virtual handset with an in-memory file system, shared by the benchmarks.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/diag_port.h"
#include "link/frame_codec.h"
#include "sim/device_path.h"
#include "sim/handset_host.h"
#include "sim/handset_model.h"
#include "sim/memory_file_system.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

struct BenchLink {
    std::unique_ptr<sim::CHandsetHost> host;
    std::unique_ptr<CDiagPort> port;

    // Starts the handset (throttled to its line rate when asked) and a Ready link to it.
    bool Start(bool throttle)
    {
        sim::SimBehaviour behaviour;
        behaviour.throttle = throttle;
        return Start(behaviour, std::make_unique<sim::CMemoryFileSystem>());
    }

    bool Start(const sim::SimBehaviour& behaviour, std::unique_ptr<sim::CMemoryFileSystem> files)
    {
        host = sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(std::move(files), behaviour));
        return host && Connect();
    }

    // A new Ready link to the running handset.
    bool Connect()
    {
        LinkTiming timing;
        timing.pollPeriodMs = 50;
        timing.pollIdleMs = 20;
        port = std::make_unique<CDiagPort>(timing);
        if (port->CreateEvents() != linkStatusOk || port->OpenPort(host->SlavePath()) != linkStatusOk)
            return false;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (port->GetPhoneStatus() != phoneStatusReady && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return port->GetPhoneStatus() == phoneStatusReady;
    }

    void PutFile(const std::string& path, const std::vector<uint8_t>& data)
    {
        host->WithFileSystem([&](sim::CSimFileSystem& fs) { fs.WriteFile(*sim::ParseDevicePath(path), data, {}); });
    }

    void MakeDir(const std::string& path)
    {
        host->WithFileSystem([&](sim::CSimFileSystem& fs) { fs.MakeDir(*sim::ParseDevicePath(path)); });
    }

    // Bytes the link has put on and taken off the wire so far.
    uint64_t WireBytes() const
    {
        return static_cast<uint64_t>(port->Stats().bytesSent.load()) +
               static_cast<uint64_t>(port->Stats().bytesReceived.load());
    }
};

inline std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 31 + i / 256);
    return bytes;
}

// The frame of payload as the link sends it, without an opening flag.
inline std::vector<uint8_t> Framed(const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> frame(frameWorkAreaSize);
    frame.resize(EncodeFrame(payload.data(), payload.size(), frame.data(), true));
    return frame;
}

}  // namespace bench
