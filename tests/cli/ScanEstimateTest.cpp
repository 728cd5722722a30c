// The time a bus scan has left: the time-outs of the steps to come, at the measured pace.
#include "tools/cli/ScanEstimate.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

std::vector<milliseconds> Steps(size_t count, milliseconds timeout)
{
    return std::vector<milliseconds>(count, timeout);
}

} // namespace

TEST(ScanEstimate, BeforeTheFirstStepEveryStepCostsItsTimeOut)
{
    // 600 Bd and 115200 Bd through the LAN converter: 2 × (1000 + 100) and 2 × (200 + 100).
    std::vector<milliseconds> steps = Steps(3, milliseconds(2200));
    const std::vector<milliseconds> fast = Steps(3, milliseconds(600));
    steps.insert(steps.end(), fast.begin(), fast.end());
    const ScanEstimate estimate(steps);
    EXPECT_EQ(estimate.Left(), milliseconds(3 * 2200 + 3 * 600));
    EXPECT_EQ(ScanEstimate({}).Left(), milliseconds(0));
}

TEST(ScanEstimate, StepsTakingTheirTimeOutLeaveTheTimeOutsOfTheRest)
{
    std::vector<milliseconds> steps = Steps(2, milliseconds(2200));
    steps.push_back(milliseconds(600));
    steps.push_back(milliseconds(600));
    ScanEstimate estimate(steps);
    estimate.StepDone(milliseconds(2200), false);
    EXPECT_EQ(estimate.Left(), milliseconds(2200 + 600 + 600));
    estimate.StepDone(milliseconds(2200), false);
    EXPECT_EQ(estimate.Left(), milliseconds(1200));
    estimate.StepDone(milliseconds(600), false);
    estimate.StepDone(milliseconds(600), false);
    EXPECT_EQ(estimate.Left(), milliseconds(0));
    estimate.StepDone(milliseconds(600), false);  // one more than planned changes nothing
    EXPECT_EQ(estimate.Left(), milliseconds(0));
}

TEST(ScanEstimate, AModuleAnsweringAtOnceDoesNotMakeTheRestLookQuick)
{
    ScanEstimate estimate(Steps(10, milliseconds(400)));
    estimate.StepDone(milliseconds(3), true);
    EXPECT_EQ(estimate.Left(), milliseconds(9 * 400));
}

TEST(ScanEstimate, TheMeasuredPaceTakesOverFromTheTimeOuts)
{
    // Ten steps of 400 ms; the time-outs weigh as much as two steps (800 ms).
    ScanEstimate faster(Steps(10, milliseconds(400)));
    for (int i = 0; i < 4; ++i)
        faster.StepDone(milliseconds(200), false);
    // 2400 ms of time-outs left × (800 + 800) / (1600 + 800)
    EXPECT_EQ(faster.Left(), milliseconds(1600));

    // A machine slower than the time-outs: the estimate grows beyond them.
    ScanEstimate slower(Steps(10, milliseconds(400)));
    for (int i = 0; i < 8; ++i)
        slower.StepDone(milliseconds(500), false);
    // 800 × (4000 + 800) / (3200 + 800)
    EXPECT_EQ(slower.Left(), milliseconds(960));
}

TEST(ScanEstimate, StepsPlannedLaterJoinTheTimeLeft)
{
    ScanEstimate estimate(Steps(2, milliseconds(100)));
    estimate.StepDone(milliseconds(100), false);
    estimate.Extend(Steps(3, milliseconds(50)));
    EXPECT_EQ(estimate.Left(), milliseconds(100 + 3 * 50));
    for (int i = 0; i < 4; ++i)
        estimate.StepDone(milliseconds(i == 3 ? 100 : 50), false);
    EXPECT_EQ(estimate.Left(), milliseconds(0));
}

// A second pass at the first speed comes before the second speed: its steps cost that speed's
// time-out, not the one of the steps that are planned after them.
TEST(ScanEstimate, ALaterPassIsCostedWithItsOwnSpeed)
{
    const milliseconds slow(2200);
    const milliseconds fast(600);
    std::vector<milliseconds> steps = Steps(2, slow);
    steps.push_back(fast);
    steps.push_back(fast);
    ScanEstimate estimate(steps);
    estimate.StepDone(slow, false);
    estimate.StepDone(slow, false);
    estimate.Extend(Steps(2, slow));
    estimate.StepDone(slow, false);
    estimate.StepDone(slow, false);
    EXPECT_EQ(estimate.Left(), 2 * fast);
}
