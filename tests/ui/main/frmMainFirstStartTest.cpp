// The main window as a new user meets it: it fits a 1024 x 768 screen in either language, a
// first start uses most of the screen and a stored place off every screen is moved back, the
// empty list says where to begin, and Compare and Synchronize wait for the command line's profile.

#include "MainWindowTesting.h"

#include "engine/ProfileLoading.h"
#include "i18n/TextLookup.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QToolBar>

namespace {
struct FirstStartFixture : MainWindowFixture {
    void OpenIn(const char* language, int width, int height) {
        OpenWindow(width, height, false);
        Settings().LanguageName = QString::fromLatin1(language);
        ReloadLocalizer();
        window->ScaleAndLocalise();
        window->show();
        QApplication::processEvents();
    }
};

}  // namespace

// Every command button and toolbar button is shown inside the window, none folded away.
TEST_F(FirstStartFixture, TheWindowFitsA1024By768ScreenWithEveryButtonReachableInBothLanguages) {
    for (const char* language : {"English", "Deutsch"}) {
        SCOPED_TRACE(language);
        OpenIn(language, 1024, 700);
        EXPECT_EQ(window->width(), 1024);
        QList<QWidget*> shown;
        for (const char* name : {"cmdLoad", "cmdSave", "cmdAdd", "cmdEdit", "cmdRemove", "cmdCompare", "cmdSynch",
                                 "cmdTreeAndSearch", "cmdExtras"})
            shown << window->findChild<QPushButton*>(QString::fromLatin1(name));
        for (int b = 0; b < 4; ++b)
            for (QAction* action : window->Commands().Toolbar(b)->actions())
                if (!action->isSeparator()) shown << window->Commands().Toolbar(b)->widgetForAction(action);
        for (QWidget* w : shown) {
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(w->isVisible()) << qPrintable(w->objectName());
            EXPECT_TRUE(window->rect().contains(QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size()))) << qPrintable(w->objectName());
        }
        window.reset();
    }
}

TEST_F(FirstStartFixture, AStoredPlaceOffEveryScreenIsMovedOntoOneAndAFirstStartUsesTheScreen) {
    OpenIn("English", 900, 600);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window->RestorePosition(QStringLiteral("150000;90000;9000;6000"));  // far beyond the screen
    EXPECT_TRUE(screen.contains(window->pos())) << window->pos().x() << "," << window->pos().y();
    window->RestorePosition(QStringLiteral("1500;1500;9000;6000"));  // on the screen: kept
    EXPECT_EQ(window->pos(), QPoint(100, 100));
    window->RestorePosition(DefaultFormPos());  // never stored: most of the screen
    EXPECT_GE(window->width(), screen.width() * 8 / 10);
    EXPECT_GE(window->height(), screen.height() * 8 / 10);
}

TEST_F(FirstStartFixture, TheEmptyListSaysWhereToBeginUntilAProfileIsLoaded) {
    OpenIn("Deutsch", 1024, 700);
    EXPECT_TRUE(window->Files().StartGuideText().startsWith(QStringLiteral("Fügen Sie ein Ordnerpaar")));
    CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
    LoadProfile(*window);
    EXPECT_TRUE(window->Files().StartGuideText().isEmpty());
}

TEST_F(FirstStartFixture, CompareAndSynchronizeWaitForTheProfileOfTheCommandLine) {
    OpenWindow(1024, 700, false);
    bool loaded = false;
    window->SetFirstActivationHandler([&] { loaded = true; });
    window->EnableCompare();  // start-up's step: the profile is still to come
    const auto enabled = [this](const char* name) { return window->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled(); };
    EXPECT_FALSE(enabled("cmdCompare") || enabled("cmdSynch"));
    window->show();
    for (int i = 0; i < 50 && !loaded; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    QApplication::processEvents();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(enabled("cmdCompare") && enabled("cmdSynch"));
    window->SetFirstActivationHandler(nullptr);
}
