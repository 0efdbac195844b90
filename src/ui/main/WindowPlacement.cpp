#include "ui/main/WindowPlacement.h"

#include <algorithm>

namespace {
// How much of the title bar must lie on a screen for the user to take hold of it.
constexpr int kGrip = 48;

int Overlap(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : both.width() * both.height();
}
}  // namespace

QRect FirstStartGeometry(const QRect& available) {
    const int width = std::min(available.width() * 85 / 100, 1600);
    const int height = std::min(available.height() * 85 / 100, 1100);
    QRect frame(0, 0, width, height);
    frame.moveCenter(available.center());
    return frame;
}

QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty()) return frame;
    // Reachable: the top edge lies on a screen with a piece of the title bar wide enough to
    // take hold of.
    for (const QRect& screen : screens) {
        const QRect grip = QRect(frame.left(), frame.top(), frame.width(), 1).intersected(screen);
        if (!grip.isEmpty() && grip.width() >= std::min(kGrip, frame.width()) && frame.top() <= screen.bottom() - kGrip)
            return frame;
    }
    // The screen that holds most of the window, else the primary one.
    QRect target = screens.first();
    int best = 0;
    for (const QRect& screen : screens) {
        const int overlap = Overlap(frame, screen);
        if (overlap > best) {
            best = overlap;
            target = screen;
        }
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(target.size()));
    placed.moveLeft(std::clamp(placed.left(), target.left(), target.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), target.top(), target.bottom() + 1 - placed.height()));
    return placed;
}
