#include "host/report/report_writer.h"

#include <json/writer.h>

#include <fmt/format.h>

#include <fstream>
#include <memory>

#include "host/report/run_facts.h"
#include "host/scenario/matchers.h"

namespace orvhost {

namespace {

Json::Value Strings(const std::vector<std::string>& items) {
    Json::Value list(Json::arrayValue);
    for (const std::string& item : items) {
        list.append(item);
    }
    return list;
}

Json::Value Milliseconds(const std::optional<std::chrono::milliseconds>& duration) {
    return duration ? Json::Value(static_cast<Json::Int64>(duration->count())) : Json::Value();
}

Json::Value Steps(const RunResult& result) {
    Json::Value steps(Json::arrayValue);
    for (const StepOutcome& step : result.steps) {
        Json::Value item;
        item["name"] = step.name;
        item["path"] = step.path;
        item["depth"] = step.depth;
        item["result"] = !step.finished ? "hung" : step.ok ? "ok" : "failed";
        item["detail"] = step.detail;
        item["context"] = Strings(step.context);
        item["thread"] = step.threadId;
        item["beganMs"] = static_cast<Json::Int64>(step.began.count());
        item["endedMs"] = step.finished ? Json::Value(static_cast<Json::Int64>(step.ended.count()))
                                        : Json::Value();
        steps.append(item);
    }
    return steps;
}

Json::Value Expectations(const RunResult& result) {
    Json::Value expectations(Json::arrayValue);
    for (const ExpectationResult& expectation : result.expectations) {
        Json::Value item;
        item["name"] = expectation.name;
        item["path"] = expectation.path;
        item["where"] = expectation.where;
        item["met"] = expectation.met;
        item["found"] = expectation.actual;
        item["context"] = Strings(expectation.context);
        expectations.append(item);
    }
    return expectations;
}

Json::Value Summary(const RunResult& result) {
    const RunFacts facts = GatherFacts(result);
    Json::Value summary;
    Json::Value phases(Json::objectValue);
    for (const Phase& phase : facts.phases) {
        phases[phase.name] = Milliseconds(phase.length);
    }
    summary["phasesMs"] = phases;
    summary["controls"] = Strings(facts.controls);
    summary["publications"] = Strings(facts.publications);
    Json::Value startup;
    startup["start"] = facts.start ? Json::Value(*facts.start) : Json::Value();
    startup["delayedAutostart"] =
        facts.delayedAutostart ? Json::Value(*facts.delayedAutostart) : Json::Value();
    startup["text"] = facts.startupConfiguration;
    summary["startupConfiguration"] = startup;
    summary["errorLines"] = facts.errorLines;
    return summary;
}

Json::Value Log(const RunResult& result) {
    Json::Value log(Json::arrayValue);
    for (const LogLine& line : result.evidence.lines) {
        Json::Value item;
        item["atMs"] = static_cast<Json::Int64>(line.at.count());
        item["level"] = LevelName(line.level);
        item["thread"] = line.threadId;
        item["message"] = line.message;
        log.append(item);
    }
    return log;
}

const char* ResultName(const RunResult& result) {
    if (result.error) {
        return "error";
    }
    return result.clean() ? "passed" : "failed";
}

}  // namespace

Json::Value ReportJson(const RunResult& result) {
    Json::Value report;
    report["scenario"]["file"] = result.file;
    report["scenario"]["name"] = result.name;
    report["scenario"]["description"] = result.description;
    report["result"] = ResultName(result);
    report["exitCode"] = result.hung ? 1 : result.ExitCode();
    report["error"] = result.error ? Json::Value(*result.error) : Json::Value();
    report["hung"] = result.hung ? Json::Value(*result.hung) : Json::Value();
    report["clockScale"] = result.clockScale;
    report["summary"] = Summary(result);
    report["steps"] = Steps(result);
    report["expectations"] = Expectations(result);
    report["logFile"] = result.logFile;
    report["log"] = Log(result);
    return report;
}

Json::Value InvalidScenarioReport(const std::string& file, const std::vector<std::string>& errors) {
    Json::Value report;
    report["scenario"]["file"] = file;
    report["result"] = "invalid";
    report["exitCode"] = 2;
    report["errors"] = Strings(errors);
    return report;
}

bool WriteJsonFile(const std::filesystem::path& file, const Json::Value& report) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out) {
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "  ";
        const std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
        writer->write(report, &out);
        out << '\n';
    }
    if (!out) {
        fmt::print(stderr, "orvhost: cannot write {}\n", file.string());
        return false;
    }
    return true;
}

}  // namespace orvhost
