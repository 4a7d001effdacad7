// The one test rig for everything that talks to a handset: a scratch folder, a capture of what
// the reporter shows, a virtual handset on a pty (memory tree or a PC folder, with its fault
// switches), the link on it, and a raw client for tests that speak frames to the handset
// themselves.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/diag_port.h"
#include "platform/serial_port.h"
#include "sim/handset_host.h"
#include "sim/request_cutter.h"
#include "support/scratch.h"

namespace rig {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using BehaviourChange = std::function<void(sim::SimBehaviour&)>;

// Everything the reporter shows while it lives (window mode): message boxes into texts,
// questions into questions, answered from answers and yes once they run out.
class CReportCapture {
public:
    CReportCapture();
    ~CReportCapture();  // back to the console defaults
    CReportCapture(const CReportCapture&) = delete;
    CReportCapture& operator=(const CReportCapture&) = delete;

    std::vector<std::string> texts;
    std::vector<std::string> questions;
    std::deque<bool> answers;
};

// The product's time-outs with a quicker polling profile, so detection is quick.
LinkTiming FastTiming();

// Bytes that differ from block to block, so a block stored twice or out of place shows.
Bytes Pattern(size_t size, uint8_t salt = 0);
Bytes ToBytes(const std::string& text);
Bytes ReadPcFile(const fs::path& file);
void WritePcFile(const fs::path& file, const Bytes& data);  // parent folders made as needed

// Checks condition every few milliseconds; false when limit passes first.
bool WaitUntil(Clock::duration limit, const std::function<bool()>& condition);

enum class DeviceStore {
    memory,  // an in-memory tree, gone with the handset
    folder   // the folder Device(), so files outlive an unplugged handset
};

class CHandsetRig {
public:
    explicit CHandsetRig(DeviceStore store = DeviceStore::memory);
    ~CHandsetRig();
    CHandsetRig(const CHandsetRig&) = delete;
    CHandsetRig& operator=(const CHandsetRig&) = delete;

    // A new handset with change applied before its first request.
    void Start(const BehaviourChange& change = {});
    // The terminal a client opens; starts the handset on first use.
    const std::string& Port();
    // Opens a link on Port() and waits until it has found the handset Ready.
    void Connect(const LinkTiming& timing = FastTiming());
    void Change(const BehaviourChange& change) { host->UpdateBehaviour(change); }
    void Unplug();  // the handset goes, the link keeps its end
    void Replug();  // a new handset on the same store, every fault switch off, and a new link

    // The device's content, through the handset (started when needed); parent directories are
    // made as needed.
    void PutDeviceFile(const std::string& devicePath, const Bytes& data);
    void MakeDeviceDir(const std::string& devicePath);
    std::optional<Bytes> DeviceFile(const std::string& devicePath);
    bool DeviceEntryExists(const std::string& devicePath);
    fs::path PutPcFile(const std::string& relative, const Bytes& data);  // below Pc(); the full path

    // EFS requests (payloads starting 0x59) the handset has heard from log index from on.
    std::vector<Bytes> EfsRequestsSince(size_t from = 0);
    size_t LogSize() { return host->RequestLog().size(); }

    const fs::path& Scratch() const { return scratch.Path(); }
    const fs::path& Device() const { return device; }
    const fs::path& Pc() const { return pc; }

    uint64_t capacity = 4u * 1024 * 1024;  // applies from the next Start
    std::unique_ptr<sim::CHandsetHost> host;
    std::unique_ptr<CDiagPort> link;

private:
    void WithHandsetFiles(const std::function<void(sim::CSimFileSystem&)>& action);

    const DeviceStore store;
    CScratch scratch;
    fs::path device;
    fs::path pc;
};

// The test's own end of a handset's terminal, through the product's serial port: frames and
// modem text at a chosen rate.
class CRawClient {
public:
    bool Open(const std::string& path, uint32_t baud = 38400) { return port.Open(path, baud); }
    bool SetSpeed(uint32_t baud) { return port.SetBaud(baud); }
    bool WriteFrame(const Bytes& payload, bool openingFlag = false);
    bool WriteRaw(const std::string& text);
    // The next payload that decodes, skipping junk and damaged frames; nothing at the timeout.
    std::optional<Bytes> ReadFrame(std::chrono::milliseconds timeout);
    // Everything received until text has arrived or timeout passed.
    std::string ReadUntil(const std::string& text, std::chrono::milliseconds timeout);

private:
    bool ReadSome(Clock::time_point deadline);

    CSerialPort port;
    CSyncEvent never{EventReset::manual};
    Bytes pending;               // raw bytes not yet looked at
    sim::CRequestCutter frames;  // bytes ReadFrame has taken, cut at the flags
};

// The frame of payload as it goes on the wire (closing flag; opening flag on request).
Bytes Frame(const Bytes& payload, bool openingFlag = false);

}  // namespace rig
