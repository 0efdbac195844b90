#include "ui/main/clsMousePointer.h"

#include <QCursor>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

Qt::CursorShape Shown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->shape() : Qt::ArrowCursor;
}

TEST(MousePointer, BusyForTheLifetimeAndRestoredOnEveryExit) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        clsMousePointer busy;
        EXPECT_EQ(Shown(), Qt::WaitCursor);
        {
            clsMousePointer inner;
            inner.SetMousePointer(Qt::CrossCursor);
            EXPECT_EQ(Shown(), Qt::CrossCursor);
        }
        // The inner handler's end gives back what the outer one showed.
        EXPECT_EQ(Shown(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    auto leaveEarly = [] {
        clsMousePointer busy;
        throw 1;
    };
    EXPECT_THROW(leaveEarly(), int);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
