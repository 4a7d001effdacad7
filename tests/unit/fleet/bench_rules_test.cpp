// The bench window's rules without a window or a handset: which ports a start takes, what a
// request must hold, and how a row's result and the summary read.
#include <gtest/gtest.h>

#include "fleet/bench.h"

namespace {

struct BenchPortsCase {
    const char* name;
    const char* typed;
    std::vector<std::string> ticked;
    const char* held;
    std::vector<std::string> ports;  // the names taken; empty with refused set: refused
    bool refused;
};

class BenchPortChoices : public ::testing::TestWithParam<BenchPortsCase> {};

TEST_P(BenchPortChoices, TakeTypedThenTickedLeavingOutTheMainWindowsPort)
{
    const CPortList list = BenchPorts(GetParam().typed, GetParam().ticked, GetParam().held);
    std::vector<std::string> names;
    for (const CFleetPort& port : list.ports)
        names.push_back(port.name);
    EXPECT_EQ(!list.refusal.empty(), GetParam().refused) << list.refusal;
    EXPECT_EQ(names, GetParam().ports);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BenchPortChoices,
    ::testing::Values(
        BenchPortsCase{"TypedAsOnTheConsole", "SIM,SIM", {}, "", {"SIM", "SIM"}, false},
        BenchPortsCase{"SpacesAroundCommasAreTheFields", " /dev/ttyUSB0 , /dev/ttyUSB1 ", {}, "",
                       {"/dev/ttyUSB0", "/dev/ttyUSB1"}, false},
        BenchPortsCase{"TickedAfterTyped", "COM3", {"/dev/ttyUSB1", "SIM"}, "", {"COM3", "/dev/ttyUSB1", "SIM"}, false},
        BenchPortsCase{"TickedHeldPortLeftOut", "", {"/dev/ttyUSB0", "/dev/ttyUSB1"}, "/dev/ttyUSB0",
                       {"/dev/ttyUSB1"}, false},
        BenchPortsCase{"TypedHeldPortRefused", "COM2,COM1", {}, "COM1", {}, true},
        BenchPortsCase{"VirtualHandsetsAreNeverBusy", "SIM,SIM:/tmp", {}, "SIM", {"SIM", "SIM:/tmp"}, false},
        BenchPortsCase{"SamePortTypedAndTicked", "/dev/ttyUSB0", {"/dev/ttyUSB0"}, "", {}, true},
        BenchPortsCase{"NothingGiven", "  ", {}, "", {}, false}),
    [](const auto& each) { return std::string(each.param.name); });

struct RequestCase {
    const char* name;
    CBenchRequest request;
    AppMessage expected;
};

class BenchRequests : public ::testing::TestWithParam<RequestCase> {};

TEST_P(BenchRequests, CheckedAsTheDialogsCheckThem)
{
    EXPECT_EQ(CheckBenchRequest(GetParam().request), GetParam().expected);
}

CBenchRequest Request(BenchAction action, std::string folder, std::string module, std::string name = {},
                      std::string file = {})
{
    return CBenchRequest{action, std::move(folder), std::move(module), std::move(name), std::move(file)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BenchRequests,
    ::testing::Values(
        RequestCase{"LoadWithBoth", Request(BenchAction::loadModule, "/pc/chess", " /chess/ "), msgSuccess},
        RequestCase{"LoadWithoutFolder", Request(BenchAction::loadModule, "", "chess"), msgModuleNamesNotGiven},
        RequestCase{"LoadWithoutName", Request(BenchAction::loadModule, "/pc/chess", ""), msgModuleNamesNotGiven},
        RequestCase{"LoadNamedDotDot", Request(BenchAction::loadModule, "/pc/chess", ".."), msgInvalidModuleName},
        RequestCase{"LoadNameWithSlash", Request(BenchAction::loadModule, "/pc/chess", "a/b"), msgInvalidModuleName},
        RequestCase{"DeleteWithoutName", Request(BenchAction::deleteModule, "/pc", "chess"), msgModuleNameNotGiven},
        RequestCase{"DeleteNamed", Request(BenchAction::deleteModule, "", "", "chess"), msgSuccess},
        RequestCase{"PendingWithoutFile", Request(BenchAction::loadPending, "", ""), msgFileNameNotGiven},
        RequestCase{"ResetNeedsNothing", Request(BenchAction::reset, "", ""), msgSuccess}),
    [](const auto& each) { return std::string(each.param.name); });

CBenchRow Finished(const std::string& port, bool succeeded, const std::string& resultText,
                   const std::string& detail)
{
    CBenchRow row;
    row.row.port = {port, port, port};
    row.row.model = "VANT-1";
    row.row.finished = true;
    row.row.succeeded = succeeded;
    row.row.resultText = resultText;
    row.row.seconds = 2.34;
    row.detail = detail;
    return row;
}

TEST(BenchRowText, SaysWhyOnlyWhereTheDetailAddsToTheResult)
{
    EXPECT_EQ(BenchResultText(Finished("a", false, "Error - Cannot copy module", "Error - Cannot write /chess/chess.mod")),
              "Error - Cannot copy module: Error - Cannot write /chess/chess.mod");
    EXPECT_EQ(BenchResultText(Finished("a", false, "User stopped", "User stopped")), "User stopped");
    EXPECT_EQ(BenchResultText(Finished("a", true, "Operation was successful", "chess (61000 bytes)")),
              "Operation was successful: chess (61000 bytes)");
    CBenchRow working = Finished("a", false, "", "something");
    working.row.finished = false;
    EXPECT_EQ(BenchResultText(working), "");
}

TEST(BenchSummary, OneCsvLinePerRowQuotedWhereAFieldNeedsIt)
{
    const std::vector<CBenchRow> rows = {Finished("SIM-1", true, "Loaded", ""),
                                         Finished("/dev/a,b", false, "Failed \"hard\"", "")};
    EXPECT_EQ(BenchSummaryCsv(rows),
              "port,model,result,text,seconds\r\n"
              "SIM-1,VANT-1,ok,Loaded,2.3\r\n"
              "\"/dev/a,b\",VANT-1,failed,\"Failed \"\"hard\"\"\",2.3\r\n");
}

}  // namespace
