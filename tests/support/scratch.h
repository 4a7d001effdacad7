// Scratch folders for tests: a private mkdtemp folder, a configuration home pointed at one, and
// a file read back as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

namespace rig {

namespace fs = std::filesystem;

inline std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A private directory under a fresh random name, removed with its content when the object goes.
class CScratch {
public:
    CScratch()
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            const fs::path candidate = fs::temp_directory_path() / ("vant-test-" + std::to_string(random()));
            std::error_code error;
            if (fs::create_directory(candidate, error))
                path = candidate;
        }
        if (path.empty())
            ADD_FAILURE() << "no scratch folder";
    }
    ~CScratch()
    {
        std::error_code error;
        fs::remove_all(path, error);
    }
    CScratch(const CScratch&) = delete;
    CScratch& operator=(const CScratch&) = delete;
    const fs::path& Path() const { return path; }

private:
    fs::path path;
};

// Points the settings folder's root (XDG_CONFIG_HOME, or APPDATA on Windows) at a fresh scratch
// folder while it lives.
class CScratchConfigHome {
public:
    CScratchConfigHome()
    {
        if (const char* before = std::getenv(variable))
            old = before;
        Set(folder.Path().string().c_str());
    }
    ~CScratchConfigHome() { Set(old ? old->c_str() : nullptr); }
#ifdef _WIN32
    fs::path IniFile() const { return folder.Path() / "VANTFerrant" / "VANTFerrant.INI"; }
#else
    fs::path IniFile() const { return folder.Path() / "VANTFerrant.INI"; }
#endif

private:
#ifdef _WIN32
    static constexpr const char* variable = "APPDATA";
    static void Set(const char* value) { ::_putenv_s(variable, value ? value : ""); }
#else
    static constexpr const char* variable = "XDG_CONFIG_HOME";
    static void Set(const char* value)
    {
        if (value)
            ::setenv(variable, value, 1);
        else
            ::unsetenv(variable);
    }
#endif
    CScratch folder;
    std::optional<std::string> old;
};

}  // namespace rig
