#pragma once
// OrvService.log as the suite sees it: the part written since a mark, read while the service
// still writes it. Lines are "time [level] [thread] message"; checks look for parts of the
// message only.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace scm_suite {

class ServiceLog {
  public:
    explicit ServiceLog(std::filesystem::path path) : path_(std::move(path)) {}

    // Later reads see only what is written after this (the file is appended to, run after run).
    void Mark();

    // The complete lines written since the mark.
    std::vector<std::string> Lines() const;

    // Waits until `count` lines since the mark contain `part`.
    ::testing::AssertionResult WaitFor(std::string_view part, std::chrono::milliseconds timeout,
                                       std::size_t count = 1) const;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::uint64_t mark_ = 0;
};

// Text cut into lines, without their line ends; a last line without one is kept.
std::vector<std::string> SplitLines(const std::string& text);

std::size_t CountContaining(const std::vector<std::string>& lines, std::string_view part);

// Success when each part is found in a line after the line of the part before it.
::testing::AssertionResult ContainsInOrder(const std::vector<std::string>& lines,
                                           std::initializer_list<std::string_view> parts);

// The lines, numbered, for failure messages; long logs are cut to their last lines.
std::string Excerpt(const std::vector<std::string>& lines);

}  // namespace scm_suite
