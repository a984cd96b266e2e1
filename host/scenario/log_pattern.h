#pragma once
// The regular expressions of log matchers ("match": "regex"): ECMAScript, bounded so that a
// scenario file cannot make compiling or matching one exhaust a thread's stack or run for
// longer than the line's length times the pattern's size.
//
// The bounds: at most kMaxLength characters, groups nested at most kMaxDepth deep, counted
// repetitions of at most kMaxRepeat, at most kMaxElements elements once every repetition is
// counted out, and no back-references. Pure functions; any thread.

#include <cstddef>
#include <memory>
#include <regex>
#include <string>

namespace orvhost {

inline constexpr std::size_t kMaxPatternLength = 256;
inline constexpr std::size_t kMaxPatternDepth = 16;
inline constexpr std::size_t kMaxPatternRepeat = 100;
inline constexpr std::size_t kMaxPatternElements = 1000;

// The compiled pattern; null with `problem` saying why when it is not accepted.
std::shared_ptr<const std::regex> CompileLogPattern(const std::string& pattern,
                                                    std::string& problem);

// Whether the pattern matches anywhere in `text`.
bool SearchLogPattern(const std::regex& compiled, const std::string& text);

}  // namespace orvhost
