#pragma once
// orvhost's command line (CLI11):
//   orvhost run [FILE] [--report FILE] [--timeline FILE] [--log-dir DIR] [--clock-scale X] [-q]
//   orvhost check FILE...
// Exit status: 0 when every expectation holds (check: every file is valid), 1 when one fails,
// 2 for a scenario that cannot run (an invalid file, a bad command line, an arrangement or
// output file that cannot be made).

namespace orvhost {

int RunCommandLine(int argc, char** argv);

}  // namespace orvhost
