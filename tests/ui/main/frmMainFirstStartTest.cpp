// The main window as a new user meets it: it fits a 1024 x 768 screen in either language, a
// stored place off every screen is moved back, the zoom setting scales it and every dialog, the
// empty list says where to begin, Compare and
// Synchronize wait for the command line's profile, the toolbars show pictures, and the standard
// buttons speak the program's language.

#include "MainWindowTesting.h"

#include "config/ProfileFile.h"
#include "engine/ProfileLoading.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/ScaleForm.h"
#include "ui/main/StandardDialogLanguage.h"
#include "ui/main/WindowRunHost.h"
#include "ui/main/dlgHint.h"
#include "ui/main/dlgMsgBox.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace {
struct FirstStartFixture : MainWindowFixture {
    void SetUp() override {
        SetHost(&host);
        ResetZoomFactors();
    }
    void TearDown() override {
        CurrentProfile().ProfileChanged = false;
        window.reset();
        Settings().Zoom = 100;
        Settings().ButtonBarsWithText = true;
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
        ApplyLanguageToStandardDialogs();
        ResetZoomFactors();
        SetHost(nullptr);
    }
    void OpenIn(const char* language, int width, int height) {
        window = MakePreparedMainWindow(width, height, false);
        Settings().LanguageName = QString::fromLatin1(language);
        ReloadLocalizer();
        window->ScaleAndLocalise();
        window->show();
        QApplication::processEvents();
    }
    void LoadOnePairProfile() {
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        LoadProfile(*window);
        QApplication::processEvents();
    }
};

QStringList CommandButtons() {
    return {QStringLiteral("cmdLoad"), QStringLiteral("cmdSave"), QStringLiteral("cmdAdd"), QStringLiteral("cmdEdit"),
            QStringLiteral("cmdRemove"), QStringLiteral("cmdCompare"), QStringLiteral("cmdSynch"),
            QStringLiteral("cmdTreeAndSearch"), QStringLiteral("cmdExtras")};
}
}  // namespace

TEST_F(FirstStartFixture, TheWindowFitsA1024By768ScreenWithEveryButtonReachableInBothLanguages) {
    for (const char* language : {"English", "Deutsch"}) {
        SCOPED_TRACE(language);
        OpenIn(language, 1024, 700);
        EXPECT_LE(window->minimumSizeHint().width(), 1024);
        EXPECT_LE(window->minimumSizeHint().height(), 700);
        EXPECT_EQ(window->width(), 1024);
        const QRect inside = window->rect();
        for (const QString& name : CommandButtons()) {
            auto* button = window->findChild<QPushButton*>(name);
            ASSERT_NE(button, nullptr) << name.toStdString();
            EXPECT_TRUE(button->isVisible()) << name.toStdString();
            const QRect at(button->mapTo(window.get(), QPoint(0, 0)), button->size());
            EXPECT_TRUE(inside.contains(at)) << name.toStdString();
        }
        for (int b = 0; b < 4; ++b) {
            QToolBar* bar = window->Commands().Toolbar(b);
            const QRect at(bar->mapTo(window.get(), QPoint(0, 0)), bar->size());
            EXPECT_TRUE(inside.contains(at)) << b;
            // Every button of the bar is shown, none folded behind an extension arrow.
            for (QAction* action : bar->actions()) {
                if (!action->isSeparator()) {
                    EXPECT_TRUE(bar->widgetForAction(action)->isVisible());
                }
            }
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

TEST_F(FirstStartFixture, ZoomScalesTheMainWindowAndEveryDialogAlsoOnesOpenedLater) {
    OpenIn("English", 1024, 700);
    auto* compare = window->findChild<QPushButton*>(QStringLiteral("cmdCompare"));
    const double normal = compare->font().pointSizeF();
    const double hintNormal = dlgHint(window.get()).findChild<QPushButton*>(QStringLiteral("cmdOK"))->font().pointSizeF();
    Settings().Zoom = 150;
    RescaleOpenWindows();
    EXPECT_DOUBLE_EQ(compare->font().pointSizeF(), normal * 1.5);
    EXPECT_DOUBLE_EQ(window->Commands().Toolbar(3)->font().pointSizeF(), normal * 1.5);
    dlgHint later(window.get());
    auto* ok = later.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    EXPECT_DOUBLE_EQ(ok->font().pointSizeF(), hintNormal * 1.5);
    AppMessageBoxDialog box(QStringLiteral("text"), MsgBox::OKOnly, QString(), window.get());
    EXPECT_DOUBLE_EQ(box.font().pointSizeF(), QApplication::font().pointSizeF() * 1.5);
    Settings().Zoom = 100;
    RescaleOpenWindows();
    EXPECT_DOUBLE_EQ(compare->font().pointSizeF(), normal);
}

TEST_F(FirstStartFixture, TheEmptyListSaysWhereToBeginAndTheSwitchTitlesSayWhatTheySwitch) {
    OpenIn("Deutsch", 1024, 700);
    EXPECT_EQ(window->Files().StartGuideText(), FormatMsg(1240));
    EXPECT_TRUE(window->Files().StartGuideText().startsWith(QStringLiteral("Fügen Sie ein Ordnerpaar")));
    TOFlexGrid* dirs = window->Pairs().Grid();
    const QRect hd = dirs->CellRect(0, 4);
    QHelpEvent help(QEvent::ToolTip, dirs->viewport()->mapFrom(dirs, hd.center()), dirs->mapToGlobal(hd.center()));
    QApplication::sendEvent(dirs->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), FormatMsg(1243));
    QToolTip::hideText();
    LoadOnePairProfile();
    EXPECT_TRUE(window->Files().StartGuideText().isEmpty());
}

TEST_F(FirstStartFixture, CompareAndSynchronizeWaitForTheProfileOfTheCommandLine) {
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    window = MakePreparedMainWindow(1024, 700, false);
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

TEST_F(FirstStartFixture, FilterAndOptionButtonsShowPicturesWithTextOnlyWhenAskedAndATooltipEach) {
    for (bool withText : {true, false}) {
        Settings().ButtonBarsWithText = withText;
        OpenIn("Deutsch", 1024, 700);
        for (int b = 0; b < 4; ++b) {
            QToolBar* bar = window->Commands().Toolbar(b);
            EXPECT_EQ(bar->toolButtonStyle(), withText ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
            for (QAction* action : bar->actions()) {
                if (action->isSeparator()) continue;
                EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
                EXPECT_FALSE(action->icon().pixmap(24, 24).isNull()) << action->objectName().toStdString();
                EXPECT_EQ(action->toolTip(), FormatToolTip(QString::number(action->property("key").toInt())));
                EXPECT_FALSE(action->toolTip().isEmpty());
            }
        }
        EXPECT_EQ(window->Commands().Toolbar(3)->actions().at(3)->toolTip(), FormatToolTip(QStringLiteral("334")));
        window.reset();
    }
}

TEST_F(FirstStartFixture, StandardButtonsAndTitlesFollowTheProgramsLanguage) {
    Settings().LanguageName = QStringLiteral("Deutsch");
    ReloadLocalizer();
    ApplyLanguageToStandardDialogs();
    // Qt's own texts (file dialogs, standard buttons) in German, not the system's language.
    QDialogButtonBox qtButtons;
    EXPECT_EQ(qtButtons.addButton(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    AppMessageBoxDialog question(QStringLiteral("Weiter?"), MsgBox::YesNoCancel, QString(), nullptr);
    QStringList captions;
    for (QAbstractButton* b : question.buttons()) captions << b->text();
    EXPECT_TRUE(captions.contains(QStringLiteral("&Ja")));
    EXPECT_TRUE(captions.contains(QStringLiteral("&Nein")));
    EXPECT_EQ(question.windowTitle(), QStringLiteral("Tandor"));
    dlgMsgBox own;
    own.Prepare(QStringLiteral("Weiter?"), 3);
    ASSERT_EQ(own.Buttons().size(), 3);
    EXPECT_EQ(own.Buttons()[0]->text(), QStringLiteral("&Ja"));
    EXPECT_EQ(own.Buttons()[2]->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(own.windowTitle(), QStringLiteral("Tandor"));
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    ApplyLanguageToStandardDialogs();
    QDialogButtonBox english;
    EXPECT_EQ(english.addButton(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
}

TEST_F(FirstStartFixture, AMessageTallerThanTheScreenScrollsInsideItsBox) {
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    QStringList lines;
    for (int i = 0; i < 400; ++i) lines << QStringLiteral("Line %1 of a very long report").arg(i);
    const int screen = QGuiApplication::primaryScreen()->availableGeometry().height();
    dlgMsgBox own;
    own.Prepare(lines.join(QLatin1Char('\n')), 0x30);
    EXPECT_LE(own.height(), screen);
    EXPECT_NE(own.findChild<QScrollArea*>(), nullptr);
    AppMessageBoxDialog platform(lines.join(QLatin1Char('\n')), MsgBox::OKOnly, QString(), nullptr);
    platform.show();
    QApplication::processEvents();
    EXPECT_LE(platform.height(), screen);
    EXPECT_NE(platform.findChild<QScrollArea*>(), nullptr);
    platform.close();
}
