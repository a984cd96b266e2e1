#pragma once
// Streams the service log to the terminal while orvhost runs, levels coloured when the
// output is a terminal.

#include <spdlog/common.h>

namespace orvhost {

class TerminalLog {
  public:
    TerminalLog();
    ~TerminalLog();
    TerminalLog(const TerminalLog&) = delete;
    TerminalLog& operator=(const TerminalLog&) = delete;

  private:
    spdlog::sink_ptr sink_;
};

}  // namespace orvhost
