// The progress window as the user reads it: the percentage and the bar after finished files and
// part of the current one, the shortened paths, and Cancel that only asks the run to stop.
#include "ui/main/dlgProgress.h"

#include "engine/RunState.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ProgressTest : public ::testing::Test {
protected:
    void TearDown() override { dlgProgress::Unload(); }
    IsolatedEnvironment env;
};

TEST_F(ProgressTest, PercentAndBarFollowTheFinishedFilesAndTheCurrentOne) {
    struct Case {
        int64_t total, done, fileSize, copied;
        const char* percent;
        double bar;  // share of the full bar
    };
    const int64_t huge = INT64_MAX / 2;
    const Case cases[] = {
        {1000, 250, 0, 0, "25 %", 0.25},
        {1000, 250, 500, 250, "50 %", 0.5},
        {1000, 1000, 0, 0, "100 %", 1.0},
        {1000, 1000, 10, 500, "100 %", 1.0},  // a file that grew since it was counted stops at the end
        {0, 12345, 100, 100, "0 %", 0.0},     // nothing to copy stays at zero
        {huge, huge / 2, 0, 0, "50 %", 0.5},
        {huge, huge / 2, 0, INT64_MAX, "50 %", 0.5},  // a sum that overflows is skipped
    };
    for (const Case& c : cases) {
        dlgProgress* p = dlgProgress::Instance();
        p->Init(c.total);
        p->FileDone(c.done);
        p->Update(c.fileSize, c.copied);
        EXPECT_EQ(p->PercentText(), QString::fromLatin1(c.percent)) << c.total << " " << c.done << " " << c.copied;
        EXPECT_NEAR(p->BarWidth(), c.bar * p->FullWidth(), 1.0) << c.total << " " << c.done << " " << c.copied;
    }
}

TEST_F(ProgressTest, TheDisplayOnlyMovesForwardUntilANewRunStarts) {
    dlgProgress* p = dlgProgress::Instance();
    p->Init(100);
    p->Update(100, 40);
    p->Update(100, 20);
    EXPECT_EQ(p->PercentText(), QStringLiteral("40 %"));
    p->Init(100);
    EXPECT_EQ(p->PercentText(), QStringLiteral("0 %"));
    EXPECT_EQ(p->BarWidth(), 0);
    p->FileDone(10);
    EXPECT_EQ(p->PercentText(), QStringLiteral("10 %"));
}

TEST_F(ProgressTest, LongPathsAreShortenedInTheMiddleAndFoldersLoseTheirSeparator) {
    dlgProgress* p = dlgProgress::Instance();
    p->Init(10);
    const QString deep = QStringLiteral("/home/user/") + QStringLiteral("very-long-folder-name/").repeated(20);
    const QString name = QStringLiteral("a-file-with-a-name-") + QStringLiteral("x").repeated(300) + QStringLiteral(".txt");
    p->ShowFile(deep, QStringLiteral("/backup/"), name);
    EXPECT_TRUE(p->FileText().startsWith(QStringLiteral("a-file")));
    EXPECT_TRUE(p->FileText().endsWith(QStringLiteral(".txt")));
    EXPECT_TRUE(p->FileText().contains(QChar(0x2026)));
    EXPECT_TRUE(p->FromText().startsWith(QStringLiteral("/home")));
    EXPECT_TRUE(p->FromText().endsWith(QStringLiteral("very-long-folder-name")));
    EXPECT_EQ(p->ToText(), QStringLiteral("/backup"));
    p->ShowFile(QStringLiteral("/"), QStringLiteral("/backup/"), QStringLiteral("x"));
    EXPECT_EQ(p->FromText(), QStringLiteral("/"));
}

// Cancel, Escape and the close button each raise the flag; the window stays until the run ends.
TEST_F(ProgressTest, CancelOnlyRaisesTheFlagAndTheWindowStays) {
    dlgProgress* p = dlgProgress::Instance();
    p->show();
    p->Init(10);
    const std::function<void()> ways[] = {
        [p] { p->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click(); },
        [p] {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(p, &escape);
        },
        [p] { EXPECT_FALSE(p->close()); },
    };
    for (const auto& cancel : ways) {
        ::Run().CancelRequested = false;
        cancel();
        EXPECT_TRUE(::Run().CancelRequested);
        EXPECT_TRUE(p->isVisible());
    }
    ::Run().CancelRequested = false;
}

}  // namespace
