#include "host/scenario/log_pattern.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace orvhost {

namespace {

// Far above every bound, so that sizes cannot overflow however repetitions nest.
constexpr std::size_t kSizeCap = 1000000;

struct Group {
    std::size_t size = 0;  // elements so far, alternatives added up
    std::size_t last = 0;  // the last element's, which a quantifier repeats
};

// "{n}", "{n,}" or "{n,m}" at `at`: the largest count, and where it ends.
std::optional<std::size_t> CountedRepeat(const std::string& pattern, std::size_t at,
                                         std::size_t& end) {
    std::size_t i = at + 1;
    std::size_t largest = 0;
    bool digits = false;
    for (; i < pattern.size() && pattern[i] != '}'; ++i) {
        const char c = pattern[i];
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digits = true;
        } else if (c != ',') {
            return std::nullopt;
        }
    }
    if (!digits || i == pattern.size()) {
        return std::nullopt;
    }
    std::size_t number = 0;
    for (std::size_t j = at + 1; j <= i; ++j) {
        if (std::isdigit(static_cast<unsigned char>(pattern[j])) != 0) {
            number = std::min(kSizeCap, number * 10 + static_cast<std::size_t>(pattern[j] - '0'));
        } else {
            largest = std::max(largest, number);
            number = 0;
        }
    }
    end = i;
    return largest;
}

// Where the class opened at `at` ends (its ']'), or the end of the pattern.
std::size_t ClassEnd(const std::string& pattern, std::size_t at) {
    std::size_t i = at + 1;
    for (; i < pattern.size() && pattern[i] != ']'; ++i) {
        if (pattern[i] == '\\') {
            ++i;
        }
    }
    return i;
}

void Element(Group& group, std::size_t size) {
    group.last = std::min(size, kSizeCap);
    group.size = std::min(group.size + group.last, kSizeCap);
}

void Repeat(Group& group, std::size_t times) {
    const std::size_t repeated =
        std::min(group.last * std::max<std::size_t>(times, 1) + 1, kSizeCap);
    group.size = std::min(group.size - group.last + repeated, kSizeCap);
    group.last = repeated;
}

// Reads the element of `pattern` at `i` into `groups`, leaving `i` at its last character; why
// it exceeds a bound, or empty.
std::string ReadElement(const std::string& pattern, std::size_t& i, std::vector<Group>& groups) {
    const char c = pattern[i];
    std::size_t end = i;
    if (c == '\\') {
        ++i;
        Element(groups.back(), 1);
    } else if (c == '[') {
        i = ClassEnd(pattern, i);
        Element(groups.back(), 1);
    } else if (c == '(') {
        if (groups.size() > kMaxPatternDepth) {
            return fmt::format("a regular expression may nest at most {} groups", kMaxPatternDepth);
        }
        groups.emplace_back();
    } else if (c == ')' && groups.size() > 1) {
        const std::size_t inner = groups.back().size;
        groups.pop_back();
        Element(groups.back(), inner + 1);
    } else if (c == '*' || c == '+' || c == '?') {
        Repeat(groups.back(), 1);
    } else if (c == '{' && CountedRepeat(pattern, i, end)) {
        const std::size_t times = *CountedRepeat(pattern, i, end);
        if (times > kMaxPatternRepeat) {
            return fmt::format("a regular expression may repeat at most {} times",
                               kMaxPatternRepeat);
        }
        Repeat(groups.back(), times);
        i = end;
    } else if (c == '|') {
        groups.back().last = 0;
    } else {
        Element(groups.back(), 1);
    }
    return {};
}

// Why the pattern exceeds a bound; empty when it does not. Unbalanced or malformed patterns
// pass here and are left to the compiler to report.
std::string BoundExceeded(const std::string& pattern) {
    if (pattern.size() > kMaxPatternLength) {
        return fmt::format("a regular expression may have at most {} characters",
                           kMaxPatternLength);
    }
    std::vector<Group> groups(1);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (std::string exceeded = ReadElement(pattern, i, groups); !exceeded.empty()) {
            return exceeded;
        }
        std::size_t total = 0;
        for (const Group& group : groups) {
            total += group.size;
        }
        if (total > kMaxPatternElements) {
            return fmt::format(
                "a regular expression may have at most {} elements once its repetitions are "
                "counted out",
                kMaxPatternElements);
        }
    }
    return {};
}

}  // namespace

std::shared_ptr<const std::regex> CompileLogPattern(const std::string& pattern,
                                                    std::string& problem) {
    problem = BoundExceeded(pattern);
    if (!problem.empty()) {
        return nullptr;
    }
    constexpr auto kFlags = std::regex::ECMAScript | std::regex_constants::__polynomial;
    try {
        // On its own first, so that a stray ")" cannot close the group wrapped around it.
        const std::regex alone(pattern, kFlags);
        // Searched from the line's start through a leading "anything": one pass over the line.
        // The polynomial executor keeps a set of states instead of recursing per character.
        return std::make_shared<const std::regex>("[\\s\\S]*(?:" + pattern + ")", kFlags);
    } catch (const std::regex_error& error) {
        problem = fmt::format("not a valid regular expression: {}", error.what());
        return nullptr;
    }
}

bool SearchLogPattern(const std::regex& compiled, const std::string& text) {
    return std::regex_search(text, compiled, std::regex_constants::match_continuous);
}

}  // namespace orvhost
