// A private directory made with mkdtemp, removed with its content at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class CScratchDirectory {
public:
    CScratchDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vant-ui-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~CScratchDirectory()
    {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Points XDG_CONFIG_HOME at a fresh scratch directory for the lifetime of the object.
class CScratchConfigHome {
public:
    CScratchConfigHome()
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        ::setenv("XDG_CONFIG_HOME", directory_.Path().c_str(), 1);
    }
    ~CScratchConfigHome()
    {
        if (hadOld_)
            ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }
    const std::filesystem::path& Path() const { return directory_.Path(); }
    std::filesystem::path IniFile() const { return directory_.Path() / "VANTFerrant.INI"; }

private:
    CScratchDirectory directory_;
    std::string old_;
    bool hadOld_ = false;
};
