// Scratch folders for tests: a private mkdtemp folder, and a configuration home pointed at one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace rig {

namespace fs = std::filesystem;

// A private directory made with mkdtemp, removed with its content when the object goes.
class CScratch {
public:
    CScratch();
    ~CScratch();
    CScratch(const CScratch&) = delete;
    CScratch& operator=(const CScratch&) = delete;
    const fs::path& Path() const { return path; }

private:
    fs::path path;
};

// Points XDG_CONFIG_HOME at a fresh scratch folder while it lives.
class CScratchConfigHome {
public:
    CScratchConfigHome();
    ~CScratchConfigHome();
    fs::path IniFile() const { return folder.Path() / "VANTFerrant.INI"; }

private:
    CScratch folder;
    std::optional<std::string> old;
};

}  // namespace rig
