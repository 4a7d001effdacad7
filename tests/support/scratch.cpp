#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace rig {

CScratch::CScratch()
{
    std::string pattern = (fs::temp_directory_path() / "vant-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    path = pattern;
}

CScratch::~CScratch()
{
    std::error_code error;
    fs::remove_all(path, error);
}

CScratchConfigHome::CScratchConfigHome()
{
    if (const char* before = std::getenv("XDG_CONFIG_HOME"))
        old = before;
    ::setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
}

CScratchConfigHome::~CScratchConfigHome()
{
    if (old)
        ::setenv("XDG_CONFIG_HOME", old->c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace rig
