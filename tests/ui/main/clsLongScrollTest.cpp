// The paging scroll bar over lists longer than a scroll bar can count: where the thumb sits for a
// list position, which position a dragged thumb gives, and the steps of arrows and pages.
#include "ui/main/clsLongScroll.h"

#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

class LongScrollTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scroll.SetClient(&bar)); }
    QScrollBar bar{Qt::Vertical};
    clsLongScroll scroll;
};

TEST_F(LongScrollTest, ThumbAndListPositionFollowEachOther) {
    struct Case {
        int min, max;
        bool fromThumb;  // the user drags the thumb to `thumb`; else the list moves to `value`
        int value, thumb;
    };
    const Case cases[] = {
        {0, 100000, false, 50000, 16384},   // 16383.5: halves go to the even neighbour
        {0, 100000, false, 100000, 32767},
        {0, 1000000, false, 1, 1},          // not at the top: the thumb leaves the top too
        {0, 1000000, false, 999999, 32766},
        {5, 5, false, 5, 0},                // equal ends keep the thumb at the start
        {100, 0, false, 100, 32767},        // a reversed range mirrors the thumb
        {0, 100000, true, 100000, 32767},   // the thumb at the end gives the last row
        {0, 100000, true, 50002, 16384},
        {100, 0, true, 100, 32767},
        {100, 0, true, 24, 8000},
    };
    for (const Case& c : cases) {
        scroll.SetMin(c.min);
        scroll.SetMax(c.max);
        if (c.fromThumb) {
            bar.setValue(0);
            bar.setValue(c.thumb);
            EXPECT_EQ(scroll.Value(), c.value) << c.min << ".." << c.max << " thumb " << c.thumb;
        } else {
            scroll.SetValue(c.value);
            EXPECT_EQ(bar.value(), c.thumb) << c.min << ".." << c.max << " value " << c.value;
        }
    }
}

TEST_F(LongScrollTest, ArrowAndPageClicksMoveByTheirOwnSteps) {
    scroll.SetMin(1);
    scroll.SetMax(1000000);
    scroll.SetSmallChange(1);
    scroll.SetLargeChange(40);
    scroll.SetValue(1);
    const std::pair<QAbstractSlider::SliderAction, int> steps[] = {{QAbstractSlider::SliderSingleStepAdd, 2},
                                                                   {QAbstractSlider::SliderPageStepAdd, 42},
                                                                   {QAbstractSlider::SliderSingleStepSub, 41},
                                                                   {QAbstractSlider::SliderToMinimum, 1}};
    for (const auto& [action, value] : steps) {
        bar.triggerAction(action);
        EXPECT_EQ(scroll.Value(), value);
    }
}

TEST_F(LongScrollTest, ShrinkingTheRangePullsTheValueInAndSaysSo) {
    scroll.SetMax(1000);
    scroll.SetValue(900);
    int changes = 0;
    QObject::connect(&scroll, &clsLongScroll::Change, [&] { ++changes; });
    scroll.SetMax(100);
    EXPECT_EQ(scroll.Value(), 100);
    EXPECT_EQ(bar.value(), 32767);
    EXPECT_EQ(changes, 1);
    scroll.SetValue(-1000);  // clamped to the range
    EXPECT_EQ(scroll.Value(), 0);
}

}  // namespace
