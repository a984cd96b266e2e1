#include "service_manager_log.h"

#include <thread>

#include "service_manager_platform.h"
#include "winapi/windows_api.h"

namespace scm_suite {
namespace {

constexpr std::size_t kExcerptLines = 60;

// The service process keeps the file open for appending, so it is opened sharing everything.
KernelHandle OpenShared(const std::filesystem::path& path) {
    return KernelHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

void ServiceLog::Mark() {
    mark_ = 0;
    KernelHandle file = OpenShared(path_);
    LARGE_INTEGER size{};
    if (file.get() != INVALID_HANDLE_VALUE && GetFileSizeEx(file.get(), &size)) {
        mark_ = static_cast<std::uint64_t>(size.QuadPart);
    }
}

std::vector<std::string> ServiceLog::Lines() const {
    KernelHandle file = OpenShared(path_);
    if (file.get() == INVALID_HANDLE_VALUE) {
        return {};
    }
    LARGE_INTEGER offset{};
    offset.QuadPart = static_cast<LONGLONG>(mark_);
    if (!SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN)) {
        return {};
    }
    std::string text;
    char chunk[16384];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got != 0) {
        text.append(chunk, got);
    }
    // A last line without its newline is still being written: it is left for the next read.
    const std::size_t lastEnd = text.rfind('\n');
    text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    return SplitLines(text);
}

::testing::AssertionResult ServiceLog::WaitFor(std::string_view part,
                                               std::chrono::milliseconds timeout,
                                               std::size_t count) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto lines = Lines();
        const std::size_t seen = CountContaining(lines, part);
        if (seen >= count) {
            return ::testing::AssertionSuccess();
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return ::testing::AssertionFailure()
                   << "after " << timeout.count() << " ms, " << seen << " of " << count
                   << " line(s) containing \"" << part << "\" in the new part of " << path_.string()
                   << ":\n"
                   << Excerpt(lines);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

std::size_t CountContaining(const std::vector<std::string>& lines, std::string_view part) {
    std::size_t count = 0;
    for (const auto& line : lines) {
        if (line.find(part) != std::string::npos) {
            ++count;
        }
    }
    return count;
}

::testing::AssertionResult ContainsInOrder(const std::vector<std::string>& lines,
                                           std::initializer_list<std::string_view> parts) {
    std::size_t next = 0;
    std::string previous = "the first line";
    for (const std::string_view part : parts) {
        std::size_t at = next;
        while (at < lines.size() && lines[at].find(part) == std::string::npos) {
            ++at;
        }
        if (at == lines.size()) {
            const bool earlier = CountContaining(lines, part) != 0;
            return ::testing::AssertionFailure()
                   << "no line containing \"" << part << "\" after " << previous
                   << (earlier ? " (only before it)" : " (none at all)") << "; lines:\n"
                   << Excerpt(lines);
        }
        next = at + 1;
        previous = "\"" + std::string(part) + "\"";
    }
    return ::testing::AssertionSuccess();
}

std::string Excerpt(const std::vector<std::string>& lines) {
    std::string text;
    const std::size_t first = lines.size() > kExcerptLines ? lines.size() - kExcerptLines : 0;
    if (first != 0) {
        text += "  (" + std::to_string(first) + " earlier lines left out)\n";
    }
    for (std::size_t i = first; i < lines.size(); ++i) {
        text += "  " + std::to_string(i + 1) + ": " + lines[i] + "\n";
    }
    return lines.empty() ? std::string("  (no lines)\n") : text;
}

}  // namespace scm_suite
