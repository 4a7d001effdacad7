// Windows hands the program one command-line text, which the program cuts itself. These cases
// start the real VANTFerrant.exe with a raw command line (CreateProcessW passes it untouched) and
// read what the console printed, so they see the arguments as the driver received them.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/program_path.h"
#include "platform/wide_text.h"

namespace fs = std::filesystem;

namespace {

struct Finished {
    DWORD status = 0;
    std::string output;  // carriage returns dropped
    std::string errors;
};

std::string ReadWithoutReturns(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string bytes = text.str();
    std::erase(bytes, '\r');
    return bytes;
}

HANDLE InheritableFile(const fs::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class ProgramCommandLine : public testing::Test {
protected:
    void SetUp() override
    {
        scratch_ = fs::temp_directory_path() / ("vant-args-" + std::to_string(::GetCurrentProcessId()));
        fs::remove_all(scratch_);
        // A module folder whose path holds a space, and letters outside ASCII and outside any
        // one ANSI code page.
        module_ = scratch_ / L"my \u00e9checs \u8c61\u68cb";
        fs::create_directories(module_);
        for (const char* extension : {".mod", ".mif", ".sig", ".bar"})
            std::ofstream(module_ / ("rook" + std::string(extension)), std::ios::binary) << "rook";
    }
    void TearDown() override { fs::remove_all(scratch_); }

    std::string ModuleFolder() const { return Utf8FromWide(module_.wstring()); }

    // Runs the program with `arguments` after its quoted name, standard input empty.
    Finished Run(const std::string& arguments)
    {
        const std::wstring exe = WideFromUtf8(ProgramDirectory() + VANTFERRANT_EXE_BESIDE_TESTS);
        std::wstring line = L"\"" + exe + L"\" " + WideFromUtf8(arguments);
        const fs::path out = scratch_ / "out.txt", err = scratch_ / "err.txt";
        STARTUPINFOW start{};
        start.cb = sizeof(start);
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
        start.hStdOutput = InheritableFile(out, GENERIC_WRITE, CREATE_ALWAYS);
        start.hStdError = InheritableFile(err, GENERIC_WRITE, CREATE_ALWAYS);
        PROCESS_INFORMATION process{};
        Finished finished;
        if (::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &start, &process)) {
            if (::WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0)
                ::TerminateProcess(process.hProcess, 99);
            ::GetExitCodeProcess(process.hProcess, &finished.status);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "could not start " << Utf8FromWide(exe);
        }
        for (HANDLE handle : {start.hStdInput, start.hStdOutput, start.hStdError})
            ::CloseHandle(handle);
        finished.output = ReadWithoutReturns(out);
        finished.errors = ReadWithoutReturns(err);
        return finished;
    }

    fs::path scratch_;
    fs::path module_;
};

struct Case {
    const char* what;
    std::string arguments;
    DWORD status;
    const char* printed;     // a line the console must print ("" for nothing on standard output)
    const char* notPrinted;  // what a wrong cut would have run instead
    std::string errors;      // standard error, whole
};

TEST_F(ProgramCommandLine, ReachesTheDriverCutByTheProgramsRule)
{
    const std::string folder = ModuleFolder();
    const std::string loaded = "Load VANT Module on the device was successful\n";
    const Case cases[] = {
        {"quoted, with a space and non-ASCII letters", "SIM -l \"" + folder + "\" rook", 0,
         loaded.c_str(), "Invalid argument", ""},
        // A backslash before the closing quote escapes nothing, so a folder may end in one.
        {"quoted, ending in a backslash", "SIM -l \"" + folder + "\\\" rook", 0, loaded.c_str(),
         "Invalid argument", ""},
        // "SIM<tab>-v" is one word, a port name no system has.
        {"a tab inside a word", "SIM\t-v -v", 0, "Error - Could not open the specified port\n",
         "Module Name", ""},
        // The empty second word is too short to be an option.
        {"two quotes in a row", "SIM \"\" -v", 0, "Error - Invalid argument(s) passed\n",
         "Establishing", ""},
        {"an unterminated quote", "SIM -v \"abc  d", 1, "", "VANT Ferrant",
         "ERROR: Unterminated quoted argument: abc  d\n"},
    };
    for (const Case& c : cases) {
        const Finished run = Run(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.what;
        if (*c.printed != '\0')
            EXPECT_NE(run.output.find(c.printed), std::string::npos) << c.what << ":\n" << run.output;
        else
            EXPECT_EQ(run.output, "") << c.what;
        EXPECT_EQ(run.output.find(c.notPrinted), std::string::npos) << c.what << ":\n" << run.output;
        EXPECT_EQ(run.errors, c.errors) << c.what;
    }
}

}  // namespace
