// A real link to a virtual handset whose file system is a temporary PC directory, so what the
// handset holds outlives an unplugged handset and a fresh connection sees the same files. Every
// operation runs on its own thread under a deadline: one that does not finish in time fails
// the test, and the handset is then unplugged so the operation cannot hang the run.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "report/reporter.h"
#include "link/diag_port.h"
#include "noisy_relay.h"
#include "sim/directory_file_system.h"
#include "sim/handset_host.h"
#include "sim/handset_model.h"

namespace faults_test {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Bytes that differ from block to block, so a block stored twice or out of place shows.
inline Bytes Pattern(size_t size, uint8_t salt = 0)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 251 + salt) & 0xFF);
    return bytes;
}

class FaultsOnHandset : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vant-faults-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        work = pattern;
        device = work / "device";
        pc = work / "pc";
        fs::create_directories(device);
        fs::create_directories(pc);
        OutputMode = outputModeMessageBox;
        ReportEnabled = true;
        SetMessageBoxHandler([this](const std::string& text) { reported.push_back(text); });
        SetQuestionHandler([](const std::string&) { return true; });
    }

    void TearDown() override
    {
        port.reset();
        relay.reset();
        host.reset();
        SetMessageBoxHandler({});
        SetQuestionHandler({});
        OutputMode = outputModeConsole;
        fs::remove_all(work);
    }

    static LinkTiming FastTiming()
    {
        LinkTiming timing;
        timing.pollPeriodMs = 50;
        timing.pollIdleMs = 20;
        timing.hangUpBackoffMs = 50;
        return timing;
    }

    // Serves the device directory; with corruptShare > 0 the link talks through a noisy relay.
    void StartHandset(const std::function<void(sim::SimBehaviour&)>& change = {},
                      double corruptShare = 0)
    {
        auto files = sim::CDirectoryFileSystem::Open(device);
        ASSERT_TRUE(files);
        files->SetCapacity(64u * 1024 * 1024);
        std::string error;
        host = sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(std::move(files)), &error);
        ASSERT_TRUE(host) << error;
        if (change)
            host->UpdateBehaviour(change);
        if (corruptShare > 0) {
            relay = CNoisyRelay::Start(host->SlavePath(), corruptShare, 20240611u);
            ASSERT_TRUE(relay);
        }
    }

    // Opens a new link to the handset (or its relay) and waits for it to be Ready.
    void Connect()
    {
        port.reset();
        port = std::make_unique<CDiagPort>(FastTiming());
        ASSERT_EQ(port->CreateEvents(), linkStatusOk);
        ASSERT_EQ(port->OpenPort(relay ? relay->SlavePath() : host->SlavePath()), linkStatusOk);
        ASSERT_TRUE(WaitUntil(seconds(20), [&] { return port->GetPhoneStatus() == phoneStatusReady; }))
            << "handset not detected";
    }

    void StartAndConnect(const std::function<void(sim::SimBehaviour&)>& change = {},
                         double corruptShare = 0)
    {
        ASSERT_NO_FATAL_FAILURE(StartHandset(change, corruptShare));
        ASSERT_NO_FATAL_FAILURE(Connect());
    }

    // Pulls the cable: the handset's end of the pty closes while the link still holds its own.
    void Unplug()
    {
        relay.reset();
        host.reset();
    }

    // A new handset on the same files and a new link to it, all faults gone.
    void Replug()
    {
        port.reset();
        Unplug();
        ASSERT_NO_FATAL_FAILURE(StartAndConnect());
    }

    // Unplugs once the handset has heard `requests` more requests than it had when this was
    // called; runs on the test thread while an operation runs on another.
    void UnplugAfter(size_t requests)
    {
        const size_t target = host->RequestCount() + requests;
        ASSERT_TRUE(host->WaitForRequests(target, seconds(30))) << "the operation never got going";
        Unplug();
    }

    template <typename Predicate>
    static bool WaitUntil(Clock::duration limit, Predicate done)
    {
        const auto deadline = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(milliseconds(10));
        }
        return true;
    }

    // Starts operation on its own thread.
    template <typename Operation>
    static auto Launch(Operation operation)
    {
        return std::async(std::launch::async, std::move(operation));
    }

    // The result of a launched operation, which must come within limit of started.
    template <typename Result>
    Result Finish(std::future<Result>& pending, Clock::time_point started, Clock::duration limit)
    {
        if (pending.wait_until(started + limit) != std::future_status::ready) {
            ADD_FAILURE() << "operation still running after "
                          << std::chrono::duration_cast<milliseconds>(limit).count() << " ms";
            Unplug();
        }
        return pending.get();
    }

    template <typename Operation>
    auto RunWithin(Clock::duration limit, Operation operation)
    {
        const auto started = Clock::now();
        auto pending = Launch(std::move(operation));
        return Finish(pending, started, limit);
    }

    void PutDeviceFile(const std::string& path, const Bytes& data)
    {
        fs::create_directories((device / path).parent_path());
        std::ofstream(device / path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }

    void PutPcFile(const fs::path& path, const Bytes& data)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }

    static Bytes ReadPcFile(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    fs::path work;
    fs::path device;
    fs::path pc;
    std::vector<std::string> reported;
    std::unique_ptr<sim::CHandsetHost> host;
    std::unique_ptr<CNoisyRelay> relay;
    std::unique_ptr<CDiagPort> port;
};

}  // namespace faults_test
