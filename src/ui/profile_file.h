// The configuration file VANTFerrant.INI: sections in brackets, "key=value" lines. Section and
// key names match without regard to case. Writing keeps every other line as it was and replaces
// the file in one rename, so a failed write never leaves a damaged file.
#pragma once

#include <filesystem>
#include <string>

constexpr const char* configurationFileName = "VANTFerrant.INI";
constexpr const char* portSection = "PTA";
constexpr const char* portNameKey = "PortName";
constexpr const char* defaultPortName = "COM1";

class CProfileFile {
public:
    explicit CProfileFile(std::filesystem::path path);

    // The value of key in section, or fallback when the file, section or key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;

    // Sets key in section, creating the file, its directory, the section or the key as needed.
    // Refuses values that would break the line structure (line breaks, NUL).
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// VANTFerrant.INI in the settings folder (SettingsFolder()); empty when there is none.
std::filesystem::path ConfigurationFilePath();

// The port of the last connection that fully succeeded, or fallback.
std::string ReadConfiguredPortName(const std::string& fallback = defaultPortName);

// Remembers the port of a connection that fully succeeded.
bool WriteConfiguredPortName(const std::string& portName);
