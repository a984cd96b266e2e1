#include "host/expectations/judging.h"

namespace orvhost {

namespace {

constexpr char kFullInitLine[] = "OrvClientService::OrvWorkerThread: Waiting on service stop event";

}  // namespace

Snapshot TakeSnapshot(const Evidence& evidence, const ServiceHost& host) {
    return Snapshot{evidence.Lines(),       evidence.Calls(),
                    orvsim::Publications(), winsim::services::StatusReports(),
                    host.EntryCalls(),      host.Controls()};
}

std::string FormatLine(const LogLine& line) {
    return fmt::format("#{} +{} ms {} [tid {}] {}", line.index, line.at.count(),
                       LevelName(line.level), line.threadId, line.message);
}

std::vector<std::string> NearestLines(const std::vector<LogLine>& lines, const std::string& text,
                                      std::size_t around) {
    if (lines.empty()) {
        return {};
    }
    const auto common = [&](const std::string& message) {
        const auto mismatch =
            std::mismatch(text.begin(), text.end(), message.begin(), message.end());
        return static_cast<std::size_t>(mismatch.first - text.begin());
    };
    std::size_t best = 0;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t length = common(lines[i].message);
        if (length > bestLength) {
            best = i;
            bestLength = length;
        }
    }
    if (bestLength == 0) {
        best = lines.size() - 1;  // nothing alike: the end of the log
    }
    std::vector<std::string> context;
    const std::size_t first = best >= around ? best - around : 0;
    const std::size_t last = std::min(lines.size() - 1, best + around);
    for (std::size_t i = first; i <= last; ++i) {
        context.push_back(FormatLine(lines[i]));
    }
    return context;
}

std::optional<std::chrono::milliseconds> FullInitReachedAt(const std::vector<LogLine>& lines,
                                                           std::chrono::milliseconds from) {
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const LogLine& line) {
        return line.at >= from && line.message == kFullInitLine;
    });
    return found == lines.end() ? std::nullopt
                                : std::optional<std::chrono::milliseconds>(found->at);
}

namespace judging {

void AddContext(const Snapshot& snapshot, const std::string& hint, ExpectationResult& result) {
    if (!result.met && !hint.empty()) {
        result.context = NearestLines(snapshot.lines, hint);
    }
}

std::vector<SERVICE_STATUS> Statuses(const Snapshot& snapshot) {
    std::vector<SERVICE_STATUS> statuses;
    for (const auto& report : snapshot.statusReports) {
        statuses.push_back(report.status);
    }
    return statuses;
}

}  // namespace judging

}  // namespace orvhost
