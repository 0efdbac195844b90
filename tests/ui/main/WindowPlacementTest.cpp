// Where the main window opens: the first start's size and a stored place that lies on no screen.

#include "ui/main/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {
const QRect kLaptop(0, 0, 1366, 740);  // available area of the primary screen
const QRect kRightMonitor(1366, 0, 1920, 1050);
}  // namespace

TEST(WindowPlacement, FirstStartUsesMostOfTheScreenCentredAndStopsAtAReadingSize) {
    const QRect small = FirstStartGeometry(QRect(0, 0, 1024, 740));
    EXPECT_EQ(small.size(), QSize(870, 629));
    EXPECT_EQ(small.center(), QRect(0, 0, 1024, 740).center());
    const QRect huge = FirstStartGeometry(QRect(100, 0, 3840, 2100));
    EXPECT_EQ(huge.size(), QSize(1600, 1100));
    EXPECT_TRUE(QRect(100, 0, 3840, 2100).contains(huge));
}

TEST(WindowPlacement, AStoredPlaceStaysReachable) {
    const QList<QRect> both{kLaptop, kRightMonitor};
    const struct {
        QRect stored;
        QList<QRect> screens;
        QRect placed;
    } cases[] = {
        {QRect(100, 50, 900, 600), both, QRect(100, 50, 900, 600)},
        // Hanging over the second monitor's right edge a little: still reachable.
        {QRect(2800, 200, 900, 600), both, QRect(2800, 200, 900, 600)},
        // Stored on the right monitor, which is unplugged now.
        {QRect(2000, 100, 900, 600), {kLaptop}, QRect(466, 100, 900, 600)},
        // Far off to the top left: onto the primary screen at its corner.
        {QRect(-3000, -2000, 800, 500), both, QRect(0, 0, 800, 500)},
        // The title bar above the screen's top could not be taken hold of.
        {QRect(100, -300, 800, 500), {kLaptop}, QRect(100, 0, 800, 500)},
        // Mostly on the right monitor, title bar below its reachable part: moved up there.
        {QRect(1500, 1040, 800, 500), both, QRect(1500, 550, 800, 500)},
        // Larger than its screen: shrunk to it.
        {QRect(5000, 0, 2500, 1400), {kLaptop}, kLaptop},
    };
    for (const auto& c : cases) EXPECT_EQ(PlaceOnScreens(c.stored, c.screens), c.placed) << c.stored.x() << "," << c.stored.y();
}
