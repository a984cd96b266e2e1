#pragma once
// Names a scenario file may use, with the numbers they stand for. One table per kind, shared by
// the parser (which accepts the names), the runner and the documentation's examples.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace orvhost::names {

using NumberNames = std::vector<std::pair<std::string_view, std::int64_t>>;

// The twelve agents of the roster, by the names they log under.
const std::vector<std::string_view>& Agents();
// The two agents the service constructs itself (they cannot be absent, only fail to build).
bool IsConstructedAgent(std::string_view agent);
// Optional helpers whose GetInstance can be arranged to return null.
const std::vector<std::string_view>& Helpers();
// Slots of the helper factory ("MachineInformation", ...), in slot order.
const std::vector<std::string_view>& HelperSlots();
// Platform calls whose failure can be arranged (winsim::failures::Call names).
const std::vector<std::string_view>& FailingCalls();

const NumberNames& Architectures();   // "x86", "x64", "arm64", ...
const NumberNames& ControlCodes();    // "stop", "shutdown", "preshutdown", ...
const NumberNames& SessionReasons();  // "logon", "logoff", "unlock", ...
const NumberNames& PowerEvents();     // "resumeAutomatic", "powerSettingChange", ...
const NumberNames& ServiceStates();   // "stopped", "running", ...
const NumberNames& StartTypes();      // "automatic", "manual", ...

// The name of `number` in `table`, or empty.
std::string_view NameOf(const NumberNames& table, std::int64_t number);

}  // namespace orvhost::names
