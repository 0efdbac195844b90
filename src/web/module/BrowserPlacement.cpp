#include "web/module/BrowserPlacement.h"

QRect BrowserGeometryBeside(const QRect& work, const QRect& otherFrame, const QMargins& frame) {
    const bool otherOnRight = otherFrame.left() + otherFrame.width() / 2 >= work.left() + work.width() / 2;
    const int half = work.width() / 2;
    const QRect outside(otherOnRight ? work.left() : work.left() + half, work.top(), half, work.height());
    return outside.marginsRemoved(frame);
}
