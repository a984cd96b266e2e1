#include "client_fixture.h"

#include "sim/client/control.h"
#include "sim/common_base/control.h"
#include "sim/trace.h"
#include "winapi/sim/machine.h"

namespace orvtest {

void ClientFixture::SetUp() {
    // The client first: its threads wait on the machine's objects.
    orvsim::ResetClient();
    orvsim::ResetCommonBase();
    winsim::ResetMachine();
    orvsim::ClearTrace();
}

void ClientFixture::TearDown() {
    orvsim::ResetClient();
}

std::uint64_t FirstTraced(const std::string& component, const std::string& operation) {
    const auto entries = orvsim::TraceOf(component, operation);
    return entries.empty() ? 0 : entries.front().sequence;
}

bool Published(int topicId, int eventState, std::chrono::milliseconds timeout) {
    return orvsim::WaitForPublication(
        [&](const orvsim::Publication& publication) {
            return publication.topicId == topicId && publication.eventState == eventState;
        },
        timeout);
}

}  // namespace orvtest
