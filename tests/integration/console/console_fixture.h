// Runs the real VANTFerrant binary against a virtual handset whose file system is a temporary
// PC directory, so tests can set up device files and inspect what a command left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "sim/directory_file_system.h"
#include "sim/handset_host.h"
#include "sim/handset_model.h"
#include "support/process_runner.h"

namespace fs = std::filesystem;

inline const std::string bannerText = "\nVANT Ferrant Version 1.0.2.5\n";

inline std::string UsageText(bool withStats = true)
{
    return std::string("\n\nError - Invalid argument(s) passed\n") +
           "\nUsage:\n\n"
           "VANTFerrant port_name option ...\n\n"
           "Options:\n"
           "   -i : Interactive Mode\n"
           "   -l directory module_name : Load all files in directory as module_name\n"
           "   -d module_name : Delete files in phone belonging to module_name\n"
           "   -p pending_filename : Loads the \"pending\" file into the phone\n"
           "   -v : View all modules loaded on phone\n"
           "   -o : Put phone offline\n"
           "   -r : Reset phone\n" +
           (withStats ? "   -s : Display EFS Statistics\n" : "") +
           "   -g filename directory : Copy file (filename) from the Phone to the local directory "
           "(directory)\n"
           "Examples:\n"
           "   VANTFerrant COM1 -l c:\\vantapp\\chess chess\n"
           "   VANTFerrant COM1 -d chess\n"
           "\nClosing connection. Please wait ...\n";
}

inline std::string CommandsText(bool withStats = true)
{
    return std::string("Commands:\n\n"
                       "   l directory module_name : Load all files in directory as module_name\n"
                       "   d module_name : Delete files in phone belonging to module_name\n"
                       "   p pending_filename : Loads the \"pending\" file into the phone\n"
                       "   v : View all modules loaded on phone\n"
                       "   o : Put phone offline\n"
                       "   r : Reset phone\n") +
           (withStats ? "   s : Display EFS Statistics\n" : "") +
           "   g filename directory : Copy file (filename) from the Phone to the local directory "
           "(directory)\n"
           "   ? : Help\n"
           "   q : Quit\n\n"
           "Examples:\n"
           "   l c:\\vantapp\\chess chess\n"
           "   d chess\n";
}

inline std::string Message(const std::string& text)
{
    return "\n\n" + text + "\n";
}

class ConsoleSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vant-console-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        work_ = pattern;
        device_ = work_ / "device";
        pc_ = work_ / "pc";
        fs::create_directories(device_);
        fs::create_directories(pc_);
        ResetDevice();
    }

    // An empty device except for the phone's own settings, which give it a used figure.
    void ResetDevice()
    {
        fs::remove_all(device_);
        PutDeviceFile("nv/phone.cfg", std::string(512, 'c'));
    }

    // Whether the device holds nothing but the phone's own settings.
    bool DeviceIsBare() const
    {
        for (const auto& entry : fs::directory_iterator(device_))
            if (entry.path().filename() != "nv")
                return false;
        return true;
    }

    void TearDown() override
    {
        host_.reset();
        fs::remove_all(work_);
    }

    // Starts the handset; change adjusts its behaviour before the first request.
    void StartHandset(const std::function<void(sim::SimBehaviour&)>& change = {})
    {
        auto files = sim::CDirectoryFileSystem::Open(device_);
        ASSERT_TRUE(files);
        files->SetCapacity(capacity_);
        host_ = sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(std::move(files)));
        ASSERT_TRUE(host_);
        if (change)
            host_->UpdateBehaviour(change);
    }

    // Runs VANTFerrant on the handset's port (started on first use) with these arguments.
    ProcessResult Run(const std::vector<std::string>& args, const std::string& input = {})
    {
        std::vector<std::string> all{Port()};
        all.insert(all.end(), args.begin(), args.end());
        return RunProcess(VANTFERRANT_EXE, all, input);
    }

    // The handset's port; starts the handset on first use, so the order in which an assertion
    // evaluates Run() and Connected() does not matter.
    const std::string& Port()
    {
        if (!host_)
            StartHandset();
        return host_->SlavePath();
    }

    // The text every run that reaches the handset starts with, dots removed.
    std::string Connected()
    {
        return bannerText + "Establishing communication with the phone on port " + Port() + "\nCommunication established\n\nProcessing command. Please wait ...";
    }

    // Output with the connection dots (their number depends on timing) removed.
    static std::string WithoutDots(const std::string& output)
    {
        return CollapseDotsAfter(output, "on port ");
    }

    // Replaces, after the first occurrence of marker, the run of dots that ends its line with
    // replacement (the dots count half-second waits, which depend on timing).
    static std::string CollapseDotsAfter(const std::string& output, const std::string& marker,
                                         const std::string& replacement = "")
    {
        const size_t at = output.find(marker);
        if (at == std::string::npos)
            return output;
        const size_t lineEnd = output.find('\n', at);
        if (lineEnd == std::string::npos)
            return output;
        size_t dots = lineEnd;
        while (dots > at && output[dots - 1] == '.')
            --dots;
        return output.substr(0, dots) + replacement + output.substr(lineEnd);
    }

    void PutDeviceFile(const std::string& path, const std::string& contents)
    {
        fs::create_directories((device_ / path).parent_path());
        std::ofstream(device_ / path, std::ios::binary) << contents;
    }

    void PutPcFile(const std::string& path, const std::string& contents)
    {
        fs::create_directories((pc_ / path).parent_path());
        std::ofstream(pc_ / path, std::ios::binary) << contents;
    }

    static std::string ReadFile(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // A module folder on the PC: name.mif plus the given extra files.
    void MakeModuleDir(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& files)
    {
        for (const auto& [name, contents] : files)
            PutPcFile(dir + "/" + name, contents);
    }

    fs::path work_;
    fs::path device_;
    fs::path pc_;
    uint64_t capacity_ = 4u * 1024 * 1024;
    std::unique_ptr<sim::CHandsetHost> host_;
};
