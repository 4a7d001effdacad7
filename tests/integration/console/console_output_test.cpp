// Every message the console prints, byte for byte: one run of the binary per case against a
// fresh handset, with the device and PC folders it leaves behind.
#include <optional>

#include "console_fixture.h"

namespace {

using Change = void (*)(sim::SimBehaviour&);

struct OutputCase {
    const char* name;
    Files device = {};                // device files before the run; "name/" is an empty folder
    Files pc = {};                    // PC files before the run, the same way
    std::vector<std::string> args;    // after the port; $PC stands for the PC folder
    std::string input = {};
    Change change = nullptr;
    uint64_t capacity = 4u * 1024 * 1024;
    std::string expected;           // after the connection text; $PC as above
    std::optional<Files> deviceAfter = {};  // unset: unchanged
    std::optional<Files> pcAfter = {};      // unset: unchanged
    bool connects = true;
};

const std::string big = [] {
    const auto bytes = rig::Pattern(70000);
    return std::string(bytes.begin(), bytes.end());
}();
const Files module = {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}, {"chess.bar", "b"}};
const Files onDevice = {{"chess.mif", "m"}, {"chess/chess.mod", "d"}};
const std::string moduleTable =
    "\n\n===================================================\n\tLoaded VANT application modules:\n"
    "===================================================\n\n";
const std::string question =
    "Warning - Either of .mod file, .sig file and .bar file is/ are not present\nin local "
    "directory $PC/chess.\n\nDo you still want to continue (y/n)?[y] ";
const std::string replace = "Warning - Would you like to replace the existing file $PC/out/chess.mod on PC "
                            "hard disk with this one (y/n)?[y] ";
const std::string loaded = Message("Load VANT Module on the device was successful");
const std::string userStoppedLoad = Message("User stopped load VANT module operation");
const std::string deleted = Message("Delete VANT module from the device was successful");
const std::string fetched = Message("Operation was successful");
const Files chessLoaded = {{"chess.mif", "i"}, {"chess/", ""}, {"chess/chess.mod", "m"},
                           {"chess/chess.sig", "s"}, {"chess/chess.bar", "b"}};
const Files fetchedFile = {{"out/", ""}, {"out/chess.mod", "new"}};

Files With(Files files, const Files& more)
{
    for (const auto& [name, contents] : more)
        files[name] = contents;
    return files;
}

Files InFolder(const std::string& folder, const Files& files)
{
    Files moved;
    for (const auto& [name, contents] : files)
        moved[folder + "/" + name] = contents;
    return moved;
}

std::string Refused(const std::string& text)
{
    return Message("Error - " + text + " found in the specified PC directory");
}

std::string Unknown(const std::string& line)
{
    return "Unknown option '" + line + "'\n";
}

const OutputCase cases[] = {
    {.name = "NoOption", .args = {}, .expected = UsageText(), .connects = false},
    {.name = "UnknownOption", .args = {"-x"}, .expected = UsageText()},
    // An option with one operand too few or too many.
    {.name = "DeleteWithoutName", .args = {"-d"}, .expected = UsageText()},
    {.name = "FetchWithoutFolder", .args = {"-g", "/chess.mod"}, .expected = UsageText()},
    {.name = "LoadWithoutName", .args = {"-l", "$PC"}, .expected = UsageText()},
    {.name = "PendingWithTwoFiles", .args = {"-p", "$PC/a", "$PC/b"}, .expected = UsageText()},
    {.name = "DeleteWithTwoNames", .args = {"-d", "chess", "golf"}, .expected = UsageText()},
    {.name = "FetchWithThreeOperands", .args = {"-g", "/chess.mod", "$PC", "$PC"}, .expected = UsageText()},
    {.name = "NoEfs", .args = {"-v"}, .change = [](sim::SimBehaviour& b) { b.noEfs = true; },
     .expected = Message("Error - Attached device on specified port does not appear to support EFS")},

    {.name = "View", .device = {{"chess.mif", std::string(100, 'm')}, {"chess/chess.mod", std::string(1000, 'd')},
                                {"chess/chess.sig", std::string(50, 's')}, {"readme.txt", "not a module"},
                                {"lone.mif", "mmm"}},  // no folder: no error either
     .args = {"-v"},
     .expected = moduleTable + "\t\tModule Name\tModule Size\n\t-----------------------------------\n"
                               "                   chess\t    1150\n                    lone\t       3\n"
                               "\t-----------------------------------\n"},
    {.name = "ViewZeroByteMif", .device = {{"zero.mif", ""}, {"zero/zero.mod", "d"}}, .args = {"-v"},
     .expected = moduleTable + "\t\tModule Name\tModule Size\n\t-----------------------------------\n"
                               "                    zero\t       1\n\t-----------------------------------\n"},
    {.name = "ViewWithoutUsedFigure", .device = onDevice, .args = {"-v"},
     .change = [](sim::SimBehaviour& b) { b.usedFigureZero = true; },
     .expected = moduleTable + "\t\tModule Name\n\t-------------------------\n                   chess\n"
                               "\t-------------------------\n"},
    {.name = "StatisticsWithoutUsedFigure", .args = {"-s"},
     .change = [](sim::SimBehaviour& b) { b.usedFigureZero = true; }, .expected = UsageText(false)},
    {.name = "ViewNothing", .device = {{"readme.txt", "x"}}, .args = {"-v"},
     .expected = Message("There is no VANT module stored on the device")},
    {.name = "Statistics", .device = {{"a.bin", std::string(5000, 'a')}}, .args = {"-s"},
     .expected = "\nMem free/total: 4090K / 4095K\n"},

    {.name = "Load",
     .pc = InFolder("chess", {{"chess.mif", "info"}, {"chess.mod", big}, {"chess.sig", "s"}, {"chess.bar", "b"},
                              {"extra/notes.txt", "n"}}),
     .args = {"-l", "$PC/chess", " /chess/ "}, .expected = loaded,
     .deviceAfter = Files{{"chess.mif", "info"}, {"chess/", ""}, {"chess/chess.mod", big}, {"chess/chess.sig", "s"},
                          {"chess/chess.bar", "b"}, {"chess/extra/", ""}, {"chess/extra/notes.txt", "n"}}},
    {.name = "LoadNoMif", .pc = {{"chess/game.mod", "i"}}, .args = {"-l", "$PC/chess", "chess"},
     .expected = Refused("No MIF file")},
    {.name = "LoadTwoMif", .pc = InFolder("chess", With(module, {{"other.MIF", "i"}})),
     .args = {"-l", "$PC/chess", "chess"}, .expected = Refused("More than one .mif file")},
    {.name = "LoadMifFolder", .pc = InFolder("chess", With(module, {{"x.mif/a", "a"}})),
     .args = {"-l", "$PC/chess", "chess"}, .expected = Refused("More than one .mif file")},
    {.name = "LoadTwoMod", .pc = InFolder("chess", With(module, {{"b.mod", "m"}, {"b.sig", "s"}})),
     .args = {"-l", "$PC/chess", "chess"}, .expected = Refused("More than one .mod file")},
    {.name = "LoadTwoSig", .pc = InFolder("chess", With(module, {{"b.sig", "s"}})),
     .args = {"-l", "$PC/chess", "chess"}, .expected = Refused("More than one .sig file")},
    {.name = "LoadModSigNamesDiffer",
     .pc = InFolder("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess2.sig", "s"}, {"c.bar", "b"}}),
     .args = {"-l", "$PC/chess", "chess"},
     .expected = Message("Error - .mod file and .sig file in the specified PC directory have different names")},
    {.name = "LoadPresentInOtherCase", .device = {{"CHESS.MIF", "old"}}, .pc = InFolder("chess", module),
     .args = {"-l", "$PC/chess", "chess"},
     .expected = Message("Error - MIF file with the same name already exists on the device. Please delete "
                         "existing module from the device first")},
    {.name = "LoadTooBig", .pc = InFolder("chess", With(module, {{"chess.mod", std::string(1000, 'm')}})),
     .args = {"-l", "$PC/chess", "chess"}, .capacity = 2000,  // 1,200 bytes for the .mod, 240 for the .mif
     .expected = Message("Error - Not enough space on the device EFS for copying specified Module from PC")},
    {.name = "LoadFailsAndRollsBack", .pc = InFolder("chess", module), .args = {"-l", "$PC/chess", "chess"},
     .change = [](sim::SimBehaviour& b) { b.failingPaths = {"/chess/chess.sig"}; },
     .expected = Message("Error - Could not copy file to the device:\n/chess/chess.sig") +
                 Message("Error - Could not copy module to the device")},
    // The handset takes every block and loses a byte: only the size read back shows it.
    {.name = "LoadShortenedFileRollsBack", .pc = InFolder("chess", module), .args = {"-l", "$PC/chess", "chess"},
     .change = [](sim::SimBehaviour& b) { b.shortenedPaths = {"/chess/chess.mod"}; },
     .expected = Message("Error - Download of file(s) to the device failed") +
                 Message("Error - Could not copy module to the device"),
     .deviceAfter = Files{}},
    {.name = "LoadKeepsAFolderThatWasThere", .device = {{"chess/keep.txt", "precious"}},
     .pc = InFolder("chess", module), .args = {"-l", "$PC/chess", "chess"},
     .expected = Message("Error - Could not copy module to the device")},
    {.name = "LoadAskedYes", .pc = InFolder("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}}),
     .args = {"-l", "$PC/chess", "chess"}, .input = "Y\n", .expected = question + loaded,
     .deviceAfter = Files{{"chess.mif", "i"}, {"chess/", ""}, {"chess/chess.mod", "m"}, {"chess/chess.sig", "s"}}},
    {.name = "LoadAskedNo", .pc = InFolder("chess", {{"chess.mif", "i"}}), .args = {"-l", "$PC/chess", "chess"},
     .input = "n\n", .expected = question + userStoppedLoad},

    {.name = "Pending", .pc = {{"pend.dat", "pending contents"}}, .args = {"-p", "$PC/pend.dat"},
     .expected = Message("Load pending operation was successful"),
     .deviceAfter = Files{{"pending", "pending contents"}}},
    // A write refused after four blocks, on a handset that stores blocks as they come: the old
    // pending file is written back.
    {.name = "PendingFailsPartWay", .device = {{"pending", std::string(1000, 'o')}},
     .pc = {{"pend.dat", std::string(3000, 'p')}}, .args = {"-p", "$PC/pend.dat"},
     .change = [](sim::SimBehaviour& b) { b.writesInPlace = true, b.writeBlockLimit = 4; },
     .expected = Message("Error - Could not copy file to the device:\n/pending") +
                 Message("Error - Load pending operation failed")},
    {.name = "PendingMissing", .args = {"/p", "$PC/missing"},
     .expected = Message("Error - Could not open file from PC") + Message("Error - Load pending operation failed")},

    {.name = "Delete", .device = onDevice, .args = {"-d", "chess"}, .expected = deleted, .deviceAfter = Files{}},
    {.name = "DeleteMissing", .args = {"-d", "chess"},
     .expected = Message("Error - Invalid module name specified. Please check the name")},
    {.name = "DeleteEmptyFolderLeftBehind", .device = {{"chess/", ""}}, .args = {"-d", "chess"},
     .expected = Message("Error - Could not find module's mif file:\n/chess.mif") + deleted, .deviceAfter = Files{}},
    {.name = "DeleteMifWithoutFolder", .device = {{"lone.mif", "m"}}, .args = {"-d", "lone"},
     .expected = Message("Error - Could not find module's directory:\n/lone") + deleted, .deviceAfter = Files{}},
    {.name = "DeleteZeroByteMif", .device = {{"zero.mif", ""}, {"zero/zero.mod", "d"}}, .args = {"-d", "zero"},
     .expected = deleted, .deviceAfter = Files{}},
    {.name = "DeleteFails", .device = With(onDevice, {{"chess/chess.sig", "s"}}), .args = {"-d", "chess"},
     .change = [](sim::SimBehaviour& b) { b.failingPaths = {"/chess/chess.mod"}; },
     .expected = Message("Error - Could not remove directory from the device:\n/chess"),
     .deviceAfter = Files{{"chess.mif", "m"}, {"chess/", ""}, {"chess/chess.mod", "d"}}},  // still listed

    {.name = "Fetch", .device = {{"chess/chess.mod", "new"}}, .pc = {{"out/", ""}},
     .args = {"-g", "/chess/chess.mod", "$PC/out"}, .expected = fetched, .pcAfter = fetchedFile},
    {.name = "FetchKeepsOnNo", .device = {{"chess/chess.mod", "new"}}, .pc = {{"out/chess.mod", "old"}},
     .args = {"-g", "chess/chess.mod", "$PC/out"}, .input = "n\n",
     .expected = replace + Message("User stopped copy file from device operation")},
    {.name = "FetchReplacesOnDefault", .device = {{"chess/chess.mod", "new"}}, .pc = {{"out/chess.mod", "old"}},
     .args = {"-g", "chess/chess.mod", "$PC/out"}, .input = "\n", .expected = replace + fetched,
     .pcAfter = fetchedFile},
    // A folder where the file would go is asked about like a file, then kept.
    {.name = "FetchOntoAFolder", .device = {{"chess/chess.mod", "new"}}, .pc = {{"out/chess.mod/", ""}},
     .args = {"-g", "/chess/chess.mod", "$PC/out"}, .input = "y\n",
     .expected = replace + Message("Error - Could not open file from PC")},
    {.name = "FetchEmptyFile", .device = {{"empty.txt", ""}}, .pc = {{"out/", ""}},
     .args = {"-g", "empty.txt", "$PC/out"}, .expected = Message("Error - Could not read file from the device")},
    {.name = "FetchNoName", .pc = {{"out/", ""}}, .args = {"-g", "", "$PC/out"},
     .expected = Message("Error - Could not read file from the device")},

    {.name = "Offline", .args = {"-o"},
     .expected = "Waiting for phone to go offline\n" + Message("Device is now offline")},
    {.name = "Reset", .args = {"-r"}, .change = [](sim::SimBehaviour& b) { b.resetAbsence = std::chrono::milliseconds(1500); },
     .expected = "Waiting for phone to come back online\n" + Message("Device is now online")},

    {.name = "PromptUnknownAndHelp", .args = {"-i"}, .input = "hello\n\nS\nlist\ndx\n?\nv \nq\nv\n",
     .expected = "> " + Unknown("hello") + "> " + Unknown("") + "> " + Unknown("S") + "> " + commandsText + "> " +
                 commandsText + "> " + commandsText + "> " + Unknown("v ") + "> "},
    {.name = "PromptLoadAndFetch", .pc = With(InFolder("dir with space", module), {{"out put/", ""}}), .args = {"-i"},
     .input = "l \"$PC/dir with space\" chess\nl $PC\ng /chess/chess.mod $PC/out put\nexit\n",
     .expected = "> " + loaded + "> " + commandsText + "> " + fetched + "> ", .deviceAfter = chessLoaded,
     .pcAfter = With(InFolder("dir with space", module), {{"dir with space/", ""}, {"out put/", ""}, {"out put/chess.mod", "m"}})},
    {.name = "PromptAnswerIsOneLine", .pc = InFolder("chess", {{"chess.mif", "i"}}), .args = {"-i"},
     .input = "l $PC/chess chess\nno\nq\n", .expected = "> " + question + userStoppedLoad + "> "},
    {.name = "PromptDeleteAndPending", .device = onDevice, .pc = {{"p.bin", "P"}}, .args = {"-i"},
     .input = "d chess\nd  \np $PC/p.bin\nq\n",
     .expected = "> " + deleted + "> " + Message("Error - Invalid module name specified") + "> " +
                 Message("Load pending operation was successful") + "> ",
     .deviceAfter = Files{{"pending", "P"}}},
};

std::string WithPc(std::string text, const std::string& pc)
{
    for (size_t at = text.find("$PC"); at != std::string::npos; at = text.find("$PC", at + pc.size()))
        text.replace(at, 3, pc);
    return text;
}

class ConsoleOutput : public ConsoleSession, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(ConsoleOutput, IsExactAndLeavesTheExpectedFiles)
{
    const OutputCase& c = GetParam();
    PutTree(device_, c.device);
    PutTree(pc_, c.pc);
    rig.capacity = c.capacity;
    rig.Start(c.change ? rig::BehaviourChange(c.change) : rig::BehaviourChange());
    const Files deviceBefore = TreeBelow(device_);
    const Files pcBefore = TreeBelow(pc_);
    std::vector<std::string> args;
    for (const auto& arg : c.args)
        args.push_back(WithPc(arg, pc_.string()));
    const auto result = Run(args, WithPc(c.input, pc_.string()));
    const std::string output =
        CollapseDotsAfter(CollapseDotsAfter(WithoutDots(result.output), "go offline"), "back online");
    EXPECT_EQ(output, (c.connects ? Connected() : bannerText) + WithPc(c.expected, pc_.string()));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(TreeBelow(device_), c.deviceAfter.value_or(deviceBefore));
    EXPECT_EQ(TreeBelow(pc_), c.pcAfter.value_or(pcBefore));
    EXPECT_TRUE(c.connects || rig.host->RequestCount() == 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConsoleOutput, ::testing::ValuesIn(cases),
                         [](const auto& each) { return std::string(each.param.name); });

}  // namespace
