// The zoom steps of the grid and how sizes follow them.
#include "platform/zoomsteps.h"

#include <gtest/gtest.h>

using namespace Zelkor;

TEST(ZoomSteps, InAndOutGoStepByStepAndStopAtTheBounds)
{
    struct Case
    {
        int from;
        int in;
        int out;
    };
    const Case cases[] = {
        {100, 110, 90}, {50, 67, 50}, {300, 300, 250}, {67, 75, 50}, {250, 300, 200},
        // Between steps, outside the bounds.
        {105, 110, 100}, {40, 50, 50}, {400, 300, 300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.from);
        EXPECT_EQ(ZoomSteps::zoomIn(c.from), c.in);
        EXPECT_EQ(ZoomSteps::zoomOut(c.from), c.out);
    }
    // Twelve steps lead from the bottom to the top through every step.
    int z = ZoomSteps::Min;
    std::size_t i = 0;
    while (z != ZoomSteps::Max) {
        ASSERT_EQ(z, ZoomSteps::Steps[i++]);
        z = ZoomSteps::zoomIn(z);
    }
    EXPECT_EQ(i, ZoomSteps::Steps.size() - 1);
    EXPECT_EQ(ZoomSteps::bounded(10), 50);
    EXPECT_EQ(ZoomSteps::bounded(1000), 300);
    EXPECT_EQ(ZoomSteps::bounded(125), 125);
}

TEST(ZoomSteps, SizesFollowTheZoomButHiddenAndOnePixelLinesStay)
{
    struct Case
    {
        int size;
        int percent;
        int expected;
    };
    const Case cases[] = {
        {24, 100, 24}, {24, 200, 48}, {24, 50, 12}, {25, 50, 13}, {64, 67, 43}, {16, 300, 48},
        {2, 50, 1}, {1, 300, 1}, {0, 300, 0}, {-5, 200, -5},
        // A zoom outside the bounds is taken at the bound.
        {10, 1000, 30},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " at " << c.percent);
        EXPECT_EQ(ZoomSteps::scaled(c.size, c.percent), c.expected);
    }
}
