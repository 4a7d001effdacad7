#include "packaging_helpers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

CPackagingScratch::CPackagingScratch()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vant-pkg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    path = pattern;
}

CPackagingScratch::~CPackagingScratch()
{
    std::error_code error;
    std::filesystem::remove_all(path, error);
}

std::optional<PngSize> ReadPngSize(const std::filesystem::path& file)
{
    // Signature (8 bytes), then the IHDR chunk: length (4), type (4), width (4), height (4).
    static constexpr std::array<unsigned char, 8> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const std::string bytes = ReadWholeFile(file);
    if (bytes.size() < 24 || bytes.compare(0, 8, std::string(signature.begin(), signature.end())) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    const auto bigEndian = [&bytes](size_t at) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return PngSize{bigEndian(16), bigEndian(20)};
}

std::string ReadWholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

ProcessResult RunUsage(const std::filesystem::path& program)
{
    return RunProcess(program.string(), {"COM1"});
}

ProcessResult InstallBuildTree(const std::filesystem::path& prefix)
{
    return RunProcess(VANT_CMAKE, {"--install", VANT_BINARY_DIR, "--prefix", prefix.string()});
}

std::vector<std::string> TrimmedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t first = line.find_first_not_of(" \t");
        const size_t last = line.find_last_not_of(" \t\r");
        lines.push_back(first == std::string::npos ? std::string() : line.substr(first, last - first + 1));
    }
    return lines;
}

std::vector<std::string> SyntaxColumn(const std::string& text)
{
    std::vector<std::string> syntax;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t colon = line.find(" : ");
        if (line.rfind("   ", 0) == 0 && colon != std::string::npos && colon > 3)
            syntax.push_back(line.substr(3, colon - 3));
    }
    return syntax;
}
