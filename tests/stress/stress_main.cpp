// The stress tests' main: the tests themselves, or, in a process a test started for one run,
// only that run (see child_run.h).

#include <gtest/gtest.h>

#include "child_run.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!orvstress::SelectChildRun()) {
        return 2;
    }
    return RUN_ALL_TESTS();
}
