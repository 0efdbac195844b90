#include "ui/main/dlgProgress.h"

#include "engine/RunState.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class ProgressTest : public ::testing::Test {
protected:
    void TearDown() override { dlgProgress::Unload(); }
    IsolatedEnvironment env;
};

TEST_F(ProgressTest, PercentRoundsHalfToEvenAndOnlyMovesForward) {
    dlgProgress* p = dlgProgress::Instance();
    p->Init(200);
    EXPECT_EQ(p->PercentText(), QStringLiteral("0 %"));
    EXPECT_EQ(p->BarWidth(), 0);
    p->Update(200, 1);  // 0.5 % -> 0
    EXPECT_EQ(p->PercentText(), QStringLiteral("0 %"));
    p->Update(200, 3);  // 1.5 % -> 2
    EXPECT_EQ(p->PercentText(), QStringLiteral("2 %"));
    p->Update(200, 5);  // 2.5 % -> 2
    EXPECT_EQ(p->PercentText(), QStringLiteral("2 %"));
    p->Update(200, 7);  // 3.5 % -> 4
    EXPECT_EQ(p->PercentText(), QStringLiteral("4 %"));
    p->Update(200, 2);  // smaller: the display stays
    EXPECT_EQ(p->PercentText(), QStringLiteral("4 %"));
}

TEST_F(ProgressTest, FinishedFilesCarryTheBarAndTheCurrentFileAddsToThem) {
    dlgProgress* p = dlgProgress::Instance();
    const int full = p->FullWidth();
    ASSERT_GT(full, 10);
    p->Init(1000);
    p->FileDone(250);
    EXPECT_EQ(p->PercentText(), QStringLiteral("25 %"));
    const int quarter = p->BarWidth();
    EXPECT_NEAR(quarter, full / 4, 1);
    p->Update(500, 250);  // 250 done + 250 of the current file
    EXPECT_EQ(p->PercentText(), QStringLiteral("50 %"));
    EXPECT_NEAR(p->BarWidth(), full / 2, 1);
    p->FileDone(750);
    EXPECT_EQ(p->PercentText(), QStringLiteral("100 %"));
    EXPECT_EQ(p->BarWidth(), full);
    // A file that grew since it was counted does not push the display past its end.
    p->Update(10, 500);
    EXPECT_EQ(p->PercentText(), QStringLiteral("100 %"));
    EXPECT_EQ(p->BarWidth(), full);
}

TEST_F(ProgressTest, BarWidthRoundsHalfToEven) {
    dlgProgress* p = dlgProgress::Instance();
    const int full = p->FullWidth();
    // current / total chosen so that full * current / total lies exactly on a half.
    p->Init(2LL * full);
    p->Update(0, 1);  // 0.5 -> 0
    EXPECT_EQ(p->BarWidth(), 0);
    p->Update(0, 3);  // 1.5 -> 2
    EXPECT_EQ(p->BarWidth(), 2);
    p->Update(0, 5);  // 2.5 -> 2
    EXPECT_EQ(p->BarWidth(), 2);
}

TEST_F(ProgressTest, ZeroTotalStaysAtZero) {
    dlgProgress* p = dlgProgress::Instance();
    p->Init(0);
    p->FileDone(12345);
    p->Update(100, 100);
    EXPECT_EQ(p->PercentText(), QStringLiteral("0 %"));
    EXPECT_EQ(p->BarWidth(), 0);
}

TEST_F(ProgressTest, HugeSizesNeitherOverflowNorMisround) {
    dlgProgress* p = dlgProgress::Instance();
    const int64_t total = INT64_MAX / 2;
    p->Init(total);
    p->FileDone(total / 2);
    EXPECT_EQ(p->PercentText(), QStringLiteral("50 %"));
    p->Update(0, INT64_MAX);  // the sum overflows: skipped, the display keeps its values
    EXPECT_EQ(p->PercentText(), QStringLiteral("50 %"));
}

TEST_F(ProgressTest, InitStartsOver) {
    dlgProgress* p = dlgProgress::Instance();
    p->Init(100);
    p->FileDone(80);
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
    EXPECT_LT(p->FileText().size(), name.size());
    EXPECT_TRUE(p->FromText().startsWith(QStringLiteral("/home")));
    EXPECT_TRUE(p->FromText().endsWith(QStringLiteral("very-long-folder-name")));
    EXPECT_EQ(p->ToText(), QStringLiteral("/backup"));
    p->ShowFile(QStringLiteral("/"), QStringLiteral("/backup/"), QStringLiteral("x"));
    EXPECT_EQ(p->FromText(), QStringLiteral("/"));
}

TEST_F(ProgressTest, CancelOnlyRaisesTheFlagAndTheWindowStays) {
    dlgProgress* p = dlgProgress::Instance();
    p->show();
    p->Init(10);
    ::Run().CancelRequested = false;
    p->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_TRUE(p->isVisible());
    ::Run().CancelRequested = false;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(p, &escape);
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_TRUE(p->isVisible());
    ::Run().CancelRequested = false;
    EXPECT_FALSE(p->close());
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_TRUE(p->isVisible());
}

TEST_F(ProgressTest, SharedInstanceIsReleasedOnUnloadAndTheTimerRunsWhileShown) {
    dlgProgress* first = dlgProgress::Instance();
    EXPECT_EQ(dlgProgress::Instance(), first);
    EXPECT_FALSE(first->DisplayTimerActive());
    first->show();
    EXPECT_TRUE(first->DisplayTimerActive());
    first->Init(100);
    first->FileDone(60);
    dlgProgress::Unload();
    EXPECT_EQ(dlgProgress::Existing(), nullptr);
    dlgProgress* second = dlgProgress::Instance();
    EXPECT_EQ(second->PercentText(), QStringLiteral("0 %"));
    EXPECT_FALSE(second->DisplayTimerActive());
}

}  // namespace
