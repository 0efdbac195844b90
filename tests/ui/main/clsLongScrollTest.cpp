#include "ui/main/clsLongScroll.h"

#include <QLabel>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

class LongScrollTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scroll.SetClient(&bar)); }
    QScrollBar bar{Qt::Vertical};
    clsLongScroll scroll;
};

TEST_F(LongScrollTest, AttachingSetsUpTheClient) {
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 32767);
    EXPECT_EQ(bar.singleStep(), 1);
    EXPECT_EQ(bar.pageStep(), 10);
    EXPECT_EQ(bar.value(), 0);
    QLabel notABar;
    EXPECT_FALSE(scroll.SetClient(&notABar));
    EXPECT_EQ(scroll.Client(), &bar);
    EXPECT_TRUE(scroll.SetClient(nullptr));
    EXPECT_EQ(scroll.Client(), nullptr);
}

TEST_F(LongScrollTest, HalfwayOfAHundredThousandIsTheEvenNeighbour) {
    scroll.SetMax(100000);
    scroll.SetValue(50000);
    EXPECT_EQ(bar.value(), 16384);  // 16383.5 -> 16384
    scroll.SetValue(0);
    EXPECT_EQ(bar.value(), 0);
    scroll.SetValue(100000);
    EXPECT_EQ(bar.value(), 32767);
}

TEST_F(LongScrollTest, DraggingTheThumbToTheEndGivesMax) {
    scroll.SetMax(100000);
    int changes = 0;
    QObject::connect(&scroll, &clsLongScroll::Change, [&] { ++changes; });
    bar.setValue(32767);
    EXPECT_EQ(scroll.Value(), 100000);
    EXPECT_EQ(changes, 1);
    bar.setValue(16384);
    EXPECT_EQ(scroll.Value(), 50002);  // 16384 / 32767 * 100000 = 50001.5 -> 50002
}

TEST_F(LongScrollTest, TheThumbLeavesTheEndsOnlyWithTheValue) {
    scroll.SetMax(1000000);
    scroll.SetValue(1);  // 0.03 of a client step: rounds to 0, but the list is not at its top
    EXPECT_EQ(bar.value(), 1);
    scroll.SetValue(999999);
    EXPECT_EQ(bar.value(), 32766);
}

TEST_F(LongScrollTest, ArrowAndPageClicksMoveByTheirOwnSteps) {
    scroll.SetMin(1);
    scroll.SetMax(1000000);
    scroll.SetSmallChange(1);
    scroll.SetLargeChange(40);
    scroll.SetValue(1);
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(scroll.Value(), 2);
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(scroll.Value(), 42);
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(scroll.Value(), 41);
    bar.triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(scroll.Value(), 1);
}

TEST_F(LongScrollTest, EqualEndsKeepTheThumbAtTheStartAndClampEveryValue) {
    scroll.SetMin(5);
    scroll.SetMax(5);
    scroll.SetValue(1000);
    EXPECT_EQ(scroll.Value(), 5);
    EXPECT_EQ(bar.value(), 0);
    scroll.SetValue(-1000);
    EXPECT_EQ(scroll.Value(), 5);
}

TEST_F(LongScrollTest, ShrinkingTheRangePullsTheValueInAndMovesTheThumb) {
    scroll.SetMax(1000);
    scroll.SetValue(900);
    int changes = 0;
    QObject::connect(&scroll, &clsLongScroll::Change, [&] { ++changes; });
    scroll.SetMax(100);
    EXPECT_EQ(scroll.Value(), 100);
    EXPECT_EQ(bar.value(), 32767);
    EXPECT_EQ(changes, 1);
    scroll.SetValue(50);
    scroll.SetMax(200);  // same value, larger range: the thumb moves up, no Change
    EXPECT_EQ(scroll.Value(), 50);
    EXPECT_EQ(bar.value(), 8192);  // 32767 * 50 / 200 = 8191.75
    EXPECT_EQ(changes, 2);
}

TEST_F(LongScrollTest, ReversedRangeMirrorsTheThumb) {
    scroll.SetMin(100);
    scroll.SetMax(0);
    scroll.SetValue(100);
    EXPECT_EQ(bar.value(), 32767);
    scroll.SetValue(0);
    EXPECT_EQ(bar.value(), 0);
    bar.setValue(32767);
    EXPECT_EQ(scroll.Value(), 100);
    bar.setValue(8000);
    EXPECT_EQ(scroll.Value(), 24);  // 100 - (32767 - 8000) / 32767 * 100 = 24.4
}

}  // namespace
