#include "orvsvc/log_tail.h"

#include <fstream>
#include <system_error>
#include <utility>

namespace orvsvc {

namespace {

std::uintmax_t SizeOrZero(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

}  // namespace

LogTail::LogTail(std::filesystem::path path, LineSink sink, std::chrono::milliseconds period)
    : path_(std::move(path)),
      sink_(std::move(sink)),
      period_(period),
      offset_(SizeOrZero(path_)),
      thread_([this] { Run(); }) {}

LogTail::~LogTail() {
    stop_.Set();
    thread_.join();
}

void LogTail::Run() {
    while (!stop_.WaitFor(period_)) {
        ReadNew();
        PassLines();
    }
    ReadNew();
    PassLines();
    if (!pending_.empty()) {
        sink_(pending_);
    }
}

void LogTail::ReadNew() {
    std::ifstream file(path_, std::ios::binary);
    if (!file) {
        return;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    if (end < 0) {
        return;
    }
    const auto size = static_cast<std::uintmax_t>(end);
    if (size < offset_) {
        offset_ = 0;
        pending_.clear();
    }
    if (size == offset_) {
        return;
    }
    std::string chunk(static_cast<std::size_t>(size - offset_), '\0');
    file.seekg(static_cast<std::streamoff>(offset_));
    file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    chunk.resize(static_cast<std::size_t>(file.gcount()));
    offset_ += chunk.size();
    pending_ += chunk;
}

void LogTail::PassLines() {
    std::size_t begin = 0;
    for (std::size_t end = pending_.find('\n'); end != std::string::npos;
         end = pending_.find('\n', begin)) {
        std::string_view line(pending_.data() + begin, end - begin);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        sink_(line);
        begin = end + 1;
    }
    pending_.erase(0, begin);
}

}  // namespace orvsvc
