// A scratch folder for each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

// Makes an empty folder of the running test's own in the test temporary folder, named by
// prefix, the test's name and the process id (so parallel runs never share one), removing
// what an earlier run left there. Returns its path.
inline std::filesystem::path FreshTestFolder(const std::string& prefix)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) /
                                         (prefix + "-" + info->name() + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}
