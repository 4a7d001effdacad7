#include "ui/profile_file.h"

#include <strings.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/pc_file.h"
#include "platform/pc_path.h"
#include "platform/user_home.h"
#include "session/text_trim.h"

namespace {

// Blanks around names and values: spaces, tabs and the carriage return of a CR LF line.
constexpr const char* lineBlanks = " \t\r";

bool SameName(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The section a "[name]" line opens, or nothing for any other line.
std::optional<std::string> SectionOf(const std::string& line)
{
    const std::string trimmed = Trim(line, lineBlanks);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']')
        return std::nullopt;
    return Trim(trimmed.substr(1, trimmed.size() - 2), lineBlanks);
}

// Splits a "key=value" line; false for lines without "=" (comments, blanks).
bool SplitEntry(const std::string& line, std::string& key, std::string& value)
{
    const auto equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    key = Trim(line.substr(0, equals), lineBlanks);
    value = Trim(line.substr(equals + 1), lineBlanks);
    // A value in double quotes is read without them.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return !key.empty() && key.front() != ';' && key.front() != '#';
}

std::vector<std::string> ReadLines(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

CProfileFile::CProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

std::string CProfileFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& fallback) const
{
    if (path_.empty())
        return fallback;
    bool inSection = false;
    for (const std::string& line : ReadLines(path_)) {
        if (auto name = SectionOf(line)) {
            inSection = SameName(*name, section);
            continue;
        }
        std::string entryKey, value;
        if (inSection && SplitEntry(line, entryKey, value) && SameName(entryKey, key))
            return value;
    }
    return fallback;
}

bool CProfileFile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value)
{
    if (path_.empty() || value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos ||
        key.empty() || key.find_first_of("=[]\r\n") != std::string::npos)
        return false;

    std::error_code error;
    if (path_.has_parent_path())
        std::filesystem::create_directories(path_.parent_path(), error);

    std::vector<std::string> lines = ReadLines(path_);
    const std::string entry = key + "=" + value;
    bool inSection = false;
    bool sectionFound = false;
    std::size_t insertAt = lines.size();  // after the last entry of the section
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto name = SectionOf(lines[i])) {
            if (inSection)
                break;
            inSection = SameName(*name, section);
            if (inSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        std::string entryKey, oldValue;
        if (SplitEntry(lines[i], entryKey, oldValue) && SameName(entryKey, key)) {
            lines[i] = entry;
            done = true;
        } else if (!Trim(lines[i], lineBlanks).empty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionFound) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }

    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return ReplacePcFile(Utf8Of(path_), std::span(reinterpret_cast<const uint8_t*>(text.data()),
                                                   text.size()));
}

std::filesystem::path ConfigurationFilePath()
{
    const std::string folder = SettingsFolder();
    if (folder.empty())
        return {};
    return PcPath(folder) / configurationFileName;
}

std::string ReadConfiguredPortName(const std::string& fallback)
{
    return CProfileFile(ConfigurationFilePath()).ReadString(portSection, portNameKey, fallback);
}

bool WriteConfiguredPortName(const std::string& portName)
{
    return CProfileFile(ConfigurationFilePath()).WriteString(portSection, portNameKey, portName);
}
