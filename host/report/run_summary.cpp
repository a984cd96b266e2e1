#include "host/report/run_summary.h"

#include <fmt/format.h>

#include "host/report/run_facts.h"

namespace orvhost {

namespace {

std::string Duration(const std::optional<std::chrono::milliseconds>& duration) {
    return duration ? fmt::format("{} ms", duration->count()) : std::string("not reached");
}

std::string Counted(const std::vector<std::string>& items) {
    return items.empty() ? "0" : fmt::format("{}: {}", items.size(), fmt::join(items, ", "));
}

void Lines(std::string& text, const std::vector<std::string>& lines, const char* indent) {
    for (const std::string& line : lines) {
        text += fmt::format("{}{}\n", indent, line);
    }
}

std::string Steps(const RunResult& result) {
    std::string text = "  steps\n";
    for (const StepOutcome& step : result.steps) {
        const char* mark = !step.finished ? "HUNG" : step.ok ? "ok" : "FAIL";
        text += fmt::format("    {:<5}{}{}{}\n", mark,
                            std::string(static_cast<std::size_t>(step.depth) * 2, ' '), step.name,
                            step.detail.empty() ? "" : " (" + step.detail + ")");
        if (!step.ok) {
            Lines(text, step.context, "           ");
        }
    }
    return text;
}

std::string Expectations(const RunResult& result) {
    if (result.expectations.empty()) {
        return "  expectations                 none\n";
    }
    std::string text = "  expectations\n";
    for (const ExpectationResult& expectation : result.expectations) {
        text += fmt::format(
            "    {:<8} {}{}\n", expectation.met ? "met" : "NOT MET", expectation.name,
            expectation.where == "end of run" ? "" : "  [at " + expectation.where + "]");
        if (!expectation.met) {
            text += fmt::format("             found: {}\n", expectation.actual);
            if (!expectation.context.empty()) {
                text += "             nearest log lines:\n";
                Lines(text, expectation.context, "               ");
            }
        }
    }
    return text;
}

std::string Result(const RunResult& result) {
    if (result.error) {
        return "could not run: " + *result.error;
    }
    if (result.hung) {
        return "FAILED: " + *result.hung;
    }
    return result.clean() ? "clean" : "FAILED";
}

}  // namespace

std::string FormatRunSummary(const RunResult& result) {
    const RunFacts facts = GatherFacts(result);
    const bool bracketed = result.file.starts_with("(");
    std::string text = fmt::format("\norvhost summary: {} {}{}{}\n", result.name,
                                   bracketed ? "" : "(", result.file, bracketed ? "" : ")");
    text += fmt::format("  clock scale                  {}\n", result.clockScale);
    for (const Phase& phase : facts.phases) {
        text += fmt::format("  {:<28} {}\n", phase.name, Duration(phase.length));
    }
    text += fmt::format("  controls delivered           {}\n", Counted(facts.controls));
    text += fmt::format("  notifications published      {}\n", Counted(facts.publications));
    text += fmt::format("  startup configuration        {}\n", facts.startupConfiguration);
    text += fmt::format("  error lines in the log       {}\n", facts.errorLines);
    text += Steps(result);
    text += Expectations(result);
    text += fmt::format("  result                       {}\n", Result(result));
    text += fmt::format("  log file                     {}\n",
                        result.logFile.empty() ? "none" : result.logFile);
    return text;
}

}  // namespace orvhost
