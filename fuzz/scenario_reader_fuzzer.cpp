// orvhost's scenario reader on arbitrary bytes: the JSON reading, the model's parsing and the
// cross-checks that `orvhost check` runs. Whatever the text, the reader answers with a
// scenario or with errors; an exception it lets out would escape orvhost, which catches none.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/scenario/scenario_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const orvhost::LoadResult loaded = orvhost::LoadScenarioText(text, "fuzz-input");
    // orvhost's exit code rests on this: a scenario exactly when there is no error.
    if (loaded.scenario.has_value() != loaded.errors.empty()) {
        std::abort();
    }
    return 0;
}
