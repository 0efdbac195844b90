// The paging scroll bar over a list longer than a scroll bar can count: the user reaches both
// ends of the list by the thumb, and arrows and page clicks move by rows and pages.
#include "ui/main/clsLongScroll.h"

#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

TEST(LongScrollTest, TheThumbReachesBothEndsAndArrowsAndPagesMoveByTheirSteps) {
    QScrollBar bar{Qt::Vertical};
    clsLongScroll scroll;
    ASSERT_TRUE(scroll.SetClient(&bar));
    scroll.SetMin(1);
    scroll.SetMax(1000000);
    scroll.SetSmallChange(1);
    scroll.SetLargeChange(40);
    bar.setValue(bar.maximum());  // the thumb dragged to the bottom shows the last page
    EXPECT_EQ(scroll.Value(), 1000000);
    bar.setValue(bar.minimum());
    EXPECT_EQ(scroll.Value(), 1);
    scroll.SetValue(2);  // one row down: the thumb leaves the top too
    EXPECT_GT(bar.value(), bar.minimum());
    scroll.SetValue(1);
    const std::pair<QAbstractSlider::SliderAction, int> steps[] = {{QAbstractSlider::SliderSingleStepAdd, 2},
                                                                   {QAbstractSlider::SliderPageStepAdd, 42},
                                                                   {QAbstractSlider::SliderSingleStepSub, 41},
                                                                   {QAbstractSlider::SliderToMinimum, 1}};
    for (const auto& [action, value] : steps) {
        bar.triggerAction(action);
        EXPECT_EQ(scroll.Value(), value) << action;
    }
    // A shorter list pulls the place in and says so, so that the page is filled again.
    scroll.SetValue(900);
    int changes = 0;
    QObject::connect(&scroll, &clsLongScroll::Change, [&] { ++changes; });
    scroll.SetMax(100);
    EXPECT_EQ(scroll.Value(), 100);
    EXPECT_EQ(bar.value(), bar.maximum());
    EXPECT_EQ(changes, 1);
}

}  // namespace
