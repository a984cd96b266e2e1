#pragma once
// A bus notification from a client component.

#include "host/steps/step_kind.h"

namespace orvhost {

struct PublishStep {
    static constexpr std::string_view kName = "publish";
    int topic = 0;
    int state = 0;
    std::string payload;  // the payload text as it goes on the bus

    void Read(JsonObject& object);
    std::string Name() const;
    bool Act(StepContext& context) const;
};

}  // namespace orvhost
