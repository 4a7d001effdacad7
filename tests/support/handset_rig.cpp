#include "support/handset_rig.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "link/frame_codec.h"
#include "report/reporter.h"
#include "sim/directory_file_system.h"
#include "sim/memory_file_system.h"
#include "support/rig_handset.h"

namespace rig {

CReportCapture::CReportCapture()
{
    OutputMode = outputModeMessageBox;
    ReportEnabled = true;
    SetMessageBoxHandler([this](const std::string& text) { texts.push_back(text); });
    SetQuestionHandler([this](const std::string& text) {
        questions.push_back(text);
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

CReportCapture::~CReportCapture()
{
    SetMessageBoxHandler({});
    SetQuestionHandler({});
    OutputMode = outputModeConsole;
}

LinkTiming FastTiming()
{
    return {.pollPeriodMs = 50, .pollIdleMs = 20, .hangUpBackoffMs = 50};
}

Bytes Pattern(size_t size, uint8_t salt)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 251 + salt) & 0xFF);
    return bytes;
}

Bytes ToBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes ReadPcFile(const fs::path& file)
{
    return Bytes(std::istreambuf_iterator<char>(std::ifstream(file, std::ios::binary).rdbuf()), {});
}

void WritePcFile(const fs::path& file, const Bytes& data)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

bool WaitUntil(Clock::duration limit, const std::function<bool()>& condition)
{
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

CHandsetRig::CHandsetRig(DeviceStore kind)
    : store(kind), device(scratch.Path() / "device"), pc(scratch.Path() / "pc")
{
    fs::create_directories(device);
    fs::create_directories(pc);
}

CHandsetRig::~CHandsetRig()
{
    link.reset();  // before the handset, so the link never sees it go
    Unplug();
}

void CHandsetRig::Start(const BehaviourChange& change)
{
    Unplug();
    std::unique_ptr<sim::CSimFileSystem> files;
    if (store == DeviceStore::folder)
        files = sim::CDirectoryFileSystem::Open(device);
    else
        files = std::make_unique<sim::CMemoryFileSystem>();
    ASSERT_TRUE(files);
    files->SetCapacity(capacity);
    std::string error;
    host = StartRigHandset(std::make_unique<sim::CHandsetModel>(std::move(files)), &error);
    ASSERT_TRUE(host) << error;
    if (change)
        host->UpdateBehaviour(change);
}

const std::string& CHandsetRig::Port()
{
    static const std::string none;  // a handset that failed to start
    if (!host)
        Start();
    return host ? host->SlavePath() : none;
}

void CHandsetRig::Connect(const LinkTiming& timing)
{
    link.reset();
    const std::string port = Port();
    link = std::make_unique<CDiagPort>(timing);
    ASSERT_EQ(link->CreateEvents(), linkStatusOk);
    ASSERT_EQ(link->OpenPort(port), linkStatusOk);
    ASSERT_TRUE(WaitUntil(std::chrono::seconds(20), [&] { return link->GetPhoneStatus() == phoneStatusReady; }))
        << "handset not detected";
}

void CHandsetRig::Unplug()
{
    host.reset();
}

void CHandsetRig::Replug()
{
    link.reset();
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Connect());
}

void CHandsetRig::WithHandsetFiles(const std::function<void(sim::CSimFileSystem&)>& action)
{
    if (!host)
        Start();
    if (host)
        host->WithFileSystem(action);
}

void CHandsetRig::MakeDeviceDir(const std::string& devicePath)
{
    WithHandsetFiles([&](sim::CSimFileSystem& files) {
        // Each ancestor in turn; one that exists already answers with an error, which is fine.
        for (size_t slash = devicePath.find('/', 1);; slash = devicePath.find('/', slash + 1)) {
            const auto path = sim::ParseDevicePath(devicePath.substr(0, slash));
            ASSERT_TRUE(path) << devicePath;
            files.MakeDir(*path);
            if (slash == std::string::npos)
                break;
        }
    });
}

void CHandsetRig::PutDeviceFile(const std::string& devicePath, const Bytes& data)
{
    const size_t parent = devicePath.rfind('/');
    if (parent != std::string::npos && parent > 0)
        MakeDeviceDir(devicePath.substr(0, parent));
    WithHandsetFiles([&](sim::CSimFileSystem& files) {
        const auto path = sim::ParseDevicePath(devicePath);
        ASSERT_TRUE(path) << devicePath;
        ASSERT_EQ(files.WriteFile(*path, data, {}), sim::efsStatusOk) << devicePath;
    });
}

std::optional<Bytes> CHandsetRig::DeviceFile(const std::string& devicePath)
{
    std::optional<Bytes> content;
    WithHandsetFiles([&](sim::CSimFileSystem& files) {
        Bytes data;
        const auto path = sim::ParseDevicePath(devicePath);
        if (path && files.ReadFile(*path, data) == sim::efsStatusOk)
            content = std::move(data);
    });
    return content;
}

bool CHandsetRig::DeviceEntryExists(const std::string& devicePath)
{
    bool exists = false;
    WithHandsetFiles([&](sim::CSimFileSystem& files) {
        sim::SimEntryInfo info;
        const auto path = sim::ParseDevicePath(devicePath);
        exists = path && files.Stat(*path, info) == sim::efsStatusOk;
    });
    return exists;
}

fs::path CHandsetRig::PutPcFile(const std::string& relative, const Bytes& data)
{
    WritePcFile(pc / relative, data);
    return pc / relative;
}

std::vector<Bytes> CHandsetRig::EfsRequestsSince(size_t from)
{
    constexpr uint8_t efsCommand = 0x59;
    std::vector<Bytes> requests;
    const auto log = host->RequestLog();
    for (size_t i = from; i < log.size(); ++i)
        if (log[i].framed && !log[i].payload.empty() && log[i].payload[0] == efsCommand)
            requests.push_back(log[i].payload);
    return requests;
}

Bytes Frame(const Bytes& payload, bool openingFlag)
{
    std::array<uint8_t, frameWorkAreaSize> work{};
    const size_t n = EncodeFrame(payload.data(), payload.size(), work.data(), !openingFlag);
    return Bytes(work.begin(), work.begin() + static_cast<long>(n));
}

bool CRawClient::WriteFrame(const Bytes& payload, bool openingFlag)
{
    const Bytes frame = Frame(payload, openingFlag);
    return WriteRaw(std::string(frame.begin(), frame.end()));
}

bool CRawClient::WriteRaw(const std::string& text)
{
    return port.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 5000, never) == text.size();
}

bool CRawClient::ReadSome(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return false;
    std::array<uint8_t, 4096> buffer{};
    const PortReadResult read = port.Read(buffer.data(), buffer.size(), static_cast<uint32_t>(left), never);
    if (read.result != PortIoResult::ok && read.result != PortIoResult::timedOut)
        return false;
    pending.insert(pending.end(), buffer.begin(), buffer.begin() + static_cast<long>(read.bytes));
    return true;
}

std::optional<Bytes> CRawClient::ReadFrame(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    do {
        frames.Append(pending.data(), pending.size());
        pending.clear();
        while (auto frame = frames.NextFrame()) {
            size_t length = frame->size();
            if (DecodeFrame(frame->data(), length) == linkStatusOk) {
                frame->resize(length);
                return frame;
            }
        }
    } while (ReadSome(deadline));
    return std::nullopt;
}

std::string CRawClient::ReadUntil(const std::string& text, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const std::string received(pending.begin(), pending.end());
        if (received.find(text) != std::string::npos || !ReadSome(deadline)) {
            pending.clear();
            return received;
        }
    }
}

}  // namespace rig
