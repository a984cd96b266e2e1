// What the client does to its own service once it runs under the service manager.

#include <gtest/gtest.h>

#include "service_manager_fixture.h"
#include "service_manager_scm.h"

namespace scm_suite {
namespace {

class ServiceRunTest : public ServiceManagerTest {};

// After its first successful registration the client brings its start type back in line
// with policy; with the default stand-ins that is plain automatic.
TEST_F(ServiceRunTest, RestoresAutomaticStartAfterRegistering) {
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_NO_FATAL_FAILURE(SetDemandStart());
    // The library reads the start type from the registry, not from the manager.
    ASSERT_EQ(ServiceRegistryDword(L"Start").value_or(0), static_cast<DWORD>(SERVICE_DEMAND_START))
        << "the manager did not record demand start in the service's registry key";

    StateTrace trace;
    ASSERT_NO_FATAL_FAILURE(Start(trace, "start-to-running-ms"));
    ASSERT_TRUE(log_.WaitFor(
        "OrvClientService::ChangeORVStartUpType: ORV Startup Type changed to Automatic",
        kFullInitLimit));
    EXPECT_EQ(CountContaining(log_.Lines(), "ORV Startup Type changed to Automatic Delay-Start"),
              0u)
        << "delayed start was changed though the stand-ins do not want it:\n"
        << Excerpt(log_.Lines());

    const auto start = ServiceRegistryDword(L"Start");
    ASSERT_TRUE(start) << "no Start value in the service's registry key";
    EXPECT_EQ(*start, static_cast<DWORD>(SERVICE_AUTO_START)) << "registry Start";
    DWORD error = ERROR_SUCCESS;
    const auto config = QueryConfig(service_.get(), error);
    ASSERT_TRUE(config) << "QueryServiceConfigW failed with error " << error;
    EXPECT_EQ(config->startType, static_cast<DWORD>(SERVICE_AUTO_START))
        << "start type the manager holds";
}

}  // namespace
}  // namespace scm_suite
