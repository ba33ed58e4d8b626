#include "actions/status/discovery_run.h"

#include <gtest/gtest.h>

namespace cpe::actions {
namespace {

TEST(QuietWatch, AnswersAfterTwoTicksWithoutANewDeviceSeenOrIdentified) {
    QuietWatch watch;
    EXPECT_FALSE(watch.Quiet({0, 0}));  // a run starts from no device: the first tick counts as quiet
    EXPECT_TRUE(watch.Quiet({0, 0}));   // nobody answered at all

    QuietWatch busy;
    EXPECT_FALSE(busy.Quiet({0, 40}));
    EXPECT_FALSE(busy.Quiet({30, 10}));  // identified grows while seen shrinks
    EXPECT_FALSE(busy.Quiet({30, 10}));
    EXPECT_FALSE(busy.Quiet({30, 11}));  // a late answer starts the count again
    EXPECT_FALSE(busy.Quiet({41, 0}));
    EXPECT_FALSE(busy.Quiet({41, 0}));
    EXPECT_TRUE(busy.Quiet({41, 0}));
    EXPECT_TRUE(busy.Quiet({41, 0}));

    QuietWatch patient(4);
    for (int tick = 0; tick < 4; ++tick)
        EXPECT_FALSE(patient.Quiet({5, 0})) << tick;
    EXPECT_TRUE(patient.Quiet({5, 0}));
}

}  // namespace
}  // namespace cpe::actions
