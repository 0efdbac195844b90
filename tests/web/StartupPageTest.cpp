// The start-up information on a real browser engine with the program's own help pages: it opens
// beside the main window with its frame on the screen, offers "Don't show this at start" in
// sight in both languages, keeps that choice in the settings, and Escape closes it.

#include "BrowserTesting.h"
#include "support/TempTree.h"

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "ui/main/frmMain.h"
#include "web/HelpPages.h"
#include "web/WebNotice.h"
#include "web/module/BrowserPlacement.h"

#include <QApplication>
#include <QScreen>

#include <gtest/gtest.h>

// What a key from the keyboard meets first: the focus widget's claim, then the shortcuts.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace {

TEST(BrowserPlacement, TheWindowTakesTheFreeHalfWithItsFrameInsideTheWorkArea) {
    const QRect work(0, 30, 1024, 738);  // a panel at the top
    const QMargins frame(4, 24, 4, 4);
    struct Case {
        QRect other;
        QRect expected;
    } cases[] = {
        {QRect(0, 30, 400, 600), QRect(516, 54, 504, 710)},     // program on the left
        {QRect(600, 100, 424, 600), QRect(4, 54, 504, 710)},    // program on the right
        {QRect(0, 30, 1024, 738), QRect(4, 54, 504, 710)},      // centred counts as right
    };
    for (const Case& c : cases) EXPECT_EQ(BrowserGeometryBeside(work, c.other, frame), c.expected) << c.other.x();
}

class StartupPage : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        LoadProgramSettings();
        Settings().LanguageName = QString::fromLatin1(GetParam());
        ReloadLocalizer();
        window = std::make_unique<frmMain>();
        window->setGeometry(0, 0, 500, 600);
        window->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        delete frmWizard::Current();
        window.reset();
        WebNoticeHandler() = nullptr;  // the main window installed the message box
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
    IsolatedEnvironment environment;
    std::unique_ptr<frmMain> window;
};

TEST_P(StartupPage, OffersDontShowAtStartInSightAndTheChoiceStays) {
    OpenStartupInformation();
    frmWizard* wizard = frmWizard::Current();
    ASSERT_NE(wizard, nullptr);
    // The window lies on the screen, frame and all.
    const QRect work = wizard->screen()->availableGeometry();
    EXPECT_TRUE(work.contains(wizard->frameGeometry())) << wizard->frameGeometry().x() << "," << wizard->frameGeometry().y();
    // The page stays on the entry page and shows the box bound, above the fold.
    const QString inSight = QStringLiteral(
        "(function(){var b=document.getElementById('nostartupinfo');"
        "if(!b||!document.querySelector('[command^=\"NoStartupInfo\"]'))return false;"
        "var r=b.getBoundingClientRect();return r.height>0&&r.bottom<=window.innerHeight&&!b.checked;})()");
    ASSERT_TRUE(WaitFor([&] { return RunInPage(*wizard, inSight).toBool(); })) << "the box is not in sight";
    const QString label = RunInPage(*wizard, QStringLiteral("document.getElementById('nostartupinfo').parentNode.textContent")).toString();
    EXPECT_EQ(label.trimmed(), QString::fromUtf8(GetParam() == std::string("Deutsch") ? "Beim Start nicht mehr zeigen"
                                                                                    : "Don't show this at start"));

    // The page command is bound once the page is ready: a click ticks the program's box.
    ASSERT_TRUE(WaitFor([&] {
        RunInPage(*wizard, QStringLiteral("var b=document.getElementById('nostartupinfo'); if(!b.checked) b.click(); true"));
        return window->NoStartupInfo();
    })) << "the click never reached the program";
    LoadProgramSettings();
    EXPECT_EQ(Settings().NoStartupInfo, 1);  // the choice is in the settings file for the next start

    // Escape on the page closes the window: the key goes the way of a key from the keyboard,
    // where the page may claim it before the window's shortcuts see it.
    wizard->activateWindow();
    wizard->objWebBrowser1()->setFocus();
    ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() && QApplication::focusWidget()->window() == wizard; }));
    const bool used = qt_sendShortcutOverrideEvent(QApplication::focusWidget(), 0, Qt::Key_Escape, Qt::NoModifier,
                                                   QString(), false, 1);
    EXPECT_TRUE(used) << "Escape reached no shortcut";
    EXPECT_TRUE(WaitFor([] { return frmWizard::Current() == nullptr; }, 5000));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, StartupPage, ::testing::Values("English", "Deutsch"));

}  // namespace
