// Installs the test's own build tree once per test process into a mkdtemp prefix.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "packaging_helpers.h"

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix = std::make_unique<CPackagingScratch>();
        install = InstallBuildTree(prefix->Path());
    }
    static void TearDownTestSuite() { prefix.reset(); }

    void SetUp() override
    {
        ASSERT_EQ(install.exitStatus, 0) << "cmake --install failed:\n" << install.output << install.errors;
    }

    static std::filesystem::path Installed(const std::filesystem::path& relative)
    {
        return prefix->Path() / relative;
    }

    static inline std::unique_ptr<CPackagingScratch> prefix;
    static inline ProcessResult install;
};
