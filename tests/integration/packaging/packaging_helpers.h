// Helpers for the install-tree and package tests: a mkdtemp directory, whole-file reads,
// the size recorded in a PNG header, and running the installed or built programs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/process_runner.h"

// A private directory made with mkdtemp, removed with its content when the object goes.
class CPackagingScratch {
public:
    CPackagingScratch();
    ~CPackagingScratch();
    CPackagingScratch(const CPackagingScratch&) = delete;
    CPackagingScratch& operator=(const CPackagingScratch&) = delete;

    const std::filesystem::path& Path() const { return path; }

private:
    std::filesystem::path path;
};

struct PngSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// Width and height from the IHDR chunk, or nothing when the file is not a PNG.
std::optional<PngSize> ReadPngSize(const std::filesystem::path& file);

std::string ReadWholeFile(const std::filesystem::path& file);

// The console usage text: what VANTFerrant prints for a port without an option.
ProcessResult RunUsage(const std::filesystem::path& program);

// Installs the test's own build tree into prefix with cmake --install.
ProcessResult InstallBuildTree(const std::filesystem::path& prefix);

// "   -l directory module_name : Load ..." -> "-l directory module_name", for every line of
// text that has that shape: the syntax column of the usage and command help.
std::vector<std::string> SyntaxColumn(const std::string& text);

// The lines of text with the surrounding blanks removed.
std::vector<std::string> TrimmedLines(const std::string& text);
