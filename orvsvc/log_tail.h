#pragma once
// LogTail: follows a text file that another part of the process appends to (the library's
// OrvService.log) and passes each new line on, from a thread of its own. It starts at the
// file's size when constructed (a missing file counts as empty and may appear later), looks
// again every `period`, and passes each complete new line without its line break (CR LF or
// LF); an incomplete last line waits for its end. A file that has shrunk was replaced or
// truncated and is read from its start again. The file is opened only while it is read, so the
// writer may rotate or delete it.
//
// The sink is called on the tail's thread only. The destructor reads once more, passes on what
// has come (an incomplete last line too), and joins the thread: after it no line is passed on.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "orvsvc/one_shot_event.h"

namespace orvsvc {

class LogTail {
  public:
    using LineSink = std::function<void(std::string_view line)>;

    LogTail(std::filesystem::path path, LineSink sink, std::chrono::milliseconds period);
    ~LogTail();
    LogTail(const LogTail&) = delete;
    LogTail& operator=(const LogTail&) = delete;

  private:
    void Run();
    void ReadNew();
    void PassLines();

    const std::filesystem::path path_;
    const LineSink sink_;
    const std::chrono::milliseconds period_;
    std::uintmax_t offset_;  // the tail's thread only, once constructed
    std::string pending_;    // the tail's thread only: read, not yet passed on
    OneShotEvent stop_;
    std::thread thread_;  // declared last: it starts once the members it uses exist
};

}  // namespace orvsvc
