// A real link (CDiagPort over a pty) to a virtual handset with an in-memory file system, for
// the EFS integration tests. The link runs a fast polling profile so detection takes little
// time; the EFS time-outs are the product's own.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "report/reporter.h"
#include "link/diag_port.h"
#include "sim/handset_host.h"
#include "sim/handset_model.h"
#include "sim/memory_file_system.h"

namespace efs_test {

using Bytes = std::vector<uint8_t>;

inline LinkTiming FastLinkTiming()
{
    LinkTiming timing;
    timing.pollPeriodMs = 50;
    timing.pollIdleMs = 20;
    return timing;
}

// Collects every text the reporter shows while a test runs (window mode with a capturing
// message box), and restores the console defaults afterwards.
class CReportCapture {
public:
    CReportCapture()
    {
        OutputMode = outputModeMessageBox;
        ReportEnabled = true;
        SetMessageBoxHandler([this](const std::string& text) { texts.push_back(text); });
    }
    ~CReportCapture()
    {
        SetMessageBoxHandler({});
        OutputMode = outputModeConsole;
    }
    CReportCapture(const CReportCapture&) = delete;
    CReportCapture& operator=(const CReportCapture&) = delete;

    std::vector<std::string> texts;
};

class EfsOnHandset : public ::testing::Test {
protected:
    // Tests that need other switches from the start set them before calling StartHandset.
    void SetUp() override { StartHandset({}); }

    void StartHandset(const sim::SimBehaviour& behaviour)
    {
        port.reset();
        host.reset();
        std::string error;
        auto model = std::make_unique<sim::CHandsetModel>(
            std::make_unique<sim::CMemoryFileSystem>(), behaviour);
        host = sim::CHandsetHost::Start(std::move(model), &error);
        ASSERT_TRUE(host) << error;
        port = std::make_unique<CDiagPort>(FastLinkTiming());
        ASSERT_EQ(port->CreateEvents(), linkStatusOk);
        ASSERT_EQ(port->OpenPort(host->SlavePath()), linkStatusOk);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (port->GetPhoneStatus() != phoneStatusReady &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(port->GetPhoneStatus(), phoneStatusReady) << "handset not detected";
    }

    void TearDown() override
    {
        port.reset();
        host.reset();
    }

    void Change(const std::function<void(sim::SimBehaviour&)>& change)
    {
        host->UpdateBehaviour(change);
    }

    void MakeDeviceDir(const std::string& path)
    {
        host->WithFileSystem([&](sim::CSimFileSystem& fs) {
            ASSERT_EQ(fs.MakeDir(*sim::ParseDevicePath(path)), sim::efsStatusOk) << path;
        });
    }

    void PutDeviceFile(const std::string& path, const Bytes& data)
    {
        host->WithFileSystem([&](sim::CSimFileSystem& fs) {
            ASSERT_EQ(fs.WriteFile(*sim::ParseDevicePath(path), data, {}), sim::efsStatusOk)
                << path;
        });
    }

    // Content of a device file as the handset holds it; nullopt when it does not exist.
    std::optional<Bytes> DeviceFile(const std::string& path)
    {
        std::optional<Bytes> content;
        host->WithFileSystem([&](sim::CSimFileSystem& fs) {
            Bytes data;
            if (fs.ReadFile(*sim::ParseDevicePath(path), data) == sim::efsStatusOk)
                content = std::move(data);
        });
        return content;
    }

    bool DeviceEntryExists(const std::string& path)
    {
        bool exists = false;
        host->WithFileSystem([&](sim::CSimFileSystem& fs) {
            sim::SimEntryInfo info;
            exists = fs.Stat(*sim::ParseDevicePath(path), info) == sim::efsStatusOk;
        });
        return exists;
    }

    // EFS requests (payloads starting 0x59) the handset has heard from index `from` on.
    std::vector<Bytes> EfsRequestsSince(size_t from)
    {
        std::vector<Bytes> requests;
        const auto log = host->RequestLog();
        for (size_t i = from; i < log.size(); ++i)
            if (log[i].framed && !log[i].payload.empty() && log[i].payload[0] == 0x59)
                requests.push_back(log[i].payload);
        return requests;
    }

    size_t LogSize() { return host->RequestLog().size(); }

    std::unique_ptr<sim::CHandsetHost> host;
    std::unique_ptr<CDiagPort> port;
};

}  // namespace efs_test
