// Runs the real VANTFerrant binary against the rig's virtual handset, whose file system is a
// PC folder, so tests set up device files and inspect what a command left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/handset_rig.h"
#include "support/process_runner.h"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // relative path -> contents; "dir/" for a folder

inline const std::string bannerText = "\nVANT Ferrant Version 1.0.2.5\n";

inline std::string UsageText(bool withStats = true)
{
    return std::string("\n\nError - Invalid argument(s) passed\n\nUsage:\n\n"
                       "VANTFerrant port_name option ...\n\nOptions:\n"
                       "   -i : Interactive Mode\n"
                       "   -l directory module_name : Load all files in directory as module_name\n"
                       "   -d module_name : Delete files in phone belonging to module_name\n"
                       "   -p pending_filename : Loads the \"pending\" file into the phone\n"
                       "   -v : View all modules loaded on phone\n"
                       "   -o : Put phone offline\n"
                       "   -r : Reset phone\n") +
           (withStats ? "   -s : Display EFS Statistics\n" : "") +
           "   -g filename directory : Copy file (filename) from the Phone to the local directory "
           "(directory)\nExamples:\n"
           "   VANTFerrant COM1 -l c:\\vantapp\\chess chess\n"
           "   VANTFerrant COM1 -d chess\n\nClosing connection. Please wait ...\n";
}

inline const std::string commandsText =
    "Commands:\n\n"
    "   l directory module_name : Load all files in directory as module_name\n"
    "   d module_name : Delete files in phone belonging to module_name\n"
    "   p pending_filename : Loads the \"pending\" file into the phone\n"
    "   v : View all modules loaded on phone\n"
    "   o : Put phone offline\n"
    "   r : Reset phone\n"
    "   s : Display EFS Statistics\n"
    "   g filename directory : Copy file (filename) from the Phone to the local directory "
    "(directory)\n"
    "   ? : Help\n   q : Quit\n\nExamples:\n   l c:\\vantapp\\chess chess\n   d chess\n";

inline std::string Message(const std::string& text)
{
    return "\n\n" + text + "\n";
}

// Removes, after the first occurrence of marker, the run of dots that ends its line (the dots
// count half-second waits, which depend on timing).
inline std::string CollapseDotsAfter(const std::string& output, const std::string& marker)
{
    const size_t at = output.find(marker);
    const size_t lineEnd = at == std::string::npos ? at : output.find('\n', at);
    if (lineEnd == std::string::npos)
        return output;
    size_t dots = lineEnd;
    while (dots > at && output[dots - 1] == '.')
        --dots;
    return output.substr(0, dots) + output.substr(lineEnd);
}

inline std::string WithoutDots(const std::string& output)
{
    return CollapseDotsAfter(output, "on port ");
}

// Every file and folder ("name/") below root, the phone's own settings folder left out.
inline Files TreeBelow(const fs::path& root)
{
    Files tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        if (name.rfind("nv", 0) != 0)
            tree[entry.is_directory() ? name + "/" : name] = entry.is_directory() ? "" : rig::ReadText(entry.path());
    }
    return tree;
}

inline void PutTree(const fs::path& root, const Files& tree)
{
    for (const auto& [name, contents] : tree)
        name.back() == '/' ? (void)fs::create_directories(root / name) : rig::WritePcFile(root / name, rig::ToBytes(contents));
}

// A handset serving an empty device but for the phone's own settings, which give it a used
// figure, and runs of VANTFerrant on its port.
class ConsoleSession : public ::testing::Test {
protected:
    ConsoleSession() { PutTree(device_, {{"nv/phone.cfg", std::string(512, 'c')}}); }

    ProcessResult Run(const std::vector<std::string>& args, const std::string& input = {})
    {
        std::vector<std::string> all{rig.Port()};
        all.insert(all.end(), args.begin(), args.end());
        return RunProcess(VANTFERRANT_EXE, all, input);
    }
    // The text every run that reaches the handset starts with, dots removed.
    std::string Connected()
    {
        return bannerText + "Establishing communication with the phone on port " + rig.Port() +
               "\nCommunication established\n\nProcessing command. Please wait ...";
    }

    rig::CHandsetRig rig{rig::DeviceStore::folder};
    const fs::path& work_ = rig.Scratch();
    const fs::path& device_ = rig.Device();
    const fs::path& pc_ = rig.Pc();
};
