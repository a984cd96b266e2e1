// Thread pool calls whose failure Windows leaves undocumented; this machine refuses them.

#include <gtest/gtest.h>

#include "arrange.h"
#include "winapi/windows_api.h"

namespace {

class MachineThreadPoolTest : public ::testing::Test {
  protected:
    void SetUp() override { arrange::FreshMachine(); }
};

TEST_F(MachineThreadPoolTest, CreationRejectsMissingCallback) {
    EXPECT_EQ(CreateThreadpoolWork(nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
