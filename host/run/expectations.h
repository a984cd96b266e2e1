#pragma once
// Judging expectations against what a run recorded, at the end or at a "check" step.
//
// A Snapshot is a copy of the evidence at one moment; Evaluate reads only it, except for
// startup-type and registry expectations, which read the machine's registry as it is when
// they are judged.

#include <optional>
#include <string>
#include <vector>

#include "host/run/evidence.h"
#include "host/run/service_host.h"
#include "host/scenario/scenario_model.h"
#include "sim/client/client_control.h"
#include "winapi/control/machine_control.h"

namespace orvhost {

struct Snapshot {
    std::vector<LogLine> lines;
    std::vector<CallRecord> calls;
    std::vector<orvsim::Publication> publications;
    std::vector<winsim::services::StatusReport> statusReports;
    std::vector<EntryCall> entryCalls;
    std::vector<DeliveredControl> controls;
};

Snapshot TakeSnapshot(const Evidence& evidence, const ServiceHost& host);

struct ExpectationResult {
    std::string name;   // the file's name for it, or a description
    std::string path;   // JSON path in the file
    std::string where;  // "end of run" or the step it was checked at
    bool met = false;
    std::string actual;                // what was found instead, when not met
    std::vector<std::string> context;  // the nearest log lines, when not met
};

ExpectationResult Evaluate(const Expectation& expectation, const Snapshot& snapshot,
                           const std::string& where);

// What the expectation asks for, in words ("log "..." present").
std::string DescribeExpectation(const Expectation& expectation);

// One log line as the summary and the report show it: "#12 +1234 ms debug [tid 7] message".
std::string FormatLine(const LogLine& line);

// The line most like `text` (longest common beginning) with `around` lines either side;
// empty when there are no lines.
std::vector<std::string> NearestLines(const std::vector<LogLine>& lines, const std::string& text,
                                      std::size_t around = 2);

// The machine time of the first line that the worker writes once the agents are fully
// initialised, at or after `from`; empty when it never came.
std::optional<std::chrono::milliseconds> FullInitReachedAt(const std::vector<LogLine>& lines,
                                                           std::chrono::milliseconds from);

}  // namespace orvhost
