#include "host/steps/start_step.h"

#include <fmt/format.h>

#include <chrono>
#include <future>

#include "host/machine/service_host.h"
#include "host/scenario/parser_parts.h"
#include "host/steps/step_context.h"

namespace orvhost {

namespace {

std::string_view TypeName(ThrownException exception) {
    return exception == ThrownException::kBadArrayNewLength ? "std::bad_array_new_length"
                                                            : "std::runtime_error";
}

}  // namespace

bool JudgeEscape(const char* entry, const std::optional<ThrownException>& expected,
                 const std::optional<std::string>& escaped, StepContext& context) {
    if (escaped && !expected) {
        context.Fail(fmt::format("{} let an exception escape: {}", entry, *escaped));
        return false;
    }
    if (expected && !escaped) {
        context.Fail(fmt::format("{} was expected to let {} escape, but returned normally", entry,
                                 TypeName(*expected)));
        return false;
    }
    if (expected && !escaped->starts_with(TypeName(*expected))) {
        context.Fail(fmt::format("{} was expected to let {} escape, but let escape {}", entry,
                                 TypeName(*expected), *escaped));
        return false;
    }
    return true;
}

void StartStep::Read(JsonObject& object) {
    parse::Escapes(object, escapes);
}

std::string StartStep::Name() const {
    return "start the service";
}

bool StartStep::Act(StepContext& context) const {
    auto ended = context.Host().Start(escapes.has_value());
    context.StartCalled();
    if (!escapes) {
        return true;  // OnStart runs on; an escape from it fails the run at its end
    }
    // The step waits for OnStart to end, so that it can tell whether the exception came.
    if (ended.wait_for(std::chrono::milliseconds(context.TimeoutMs())) !=
        std::future_status::ready) {
        context.Fail("OnStart did not return within the step's time-out");
        return false;
    }
    return JudgeEscape("OnStart", escapes, ended.get(), context);
}

}  // namespace orvhost
