// What a screen reader reads of the main window's status line, its tool bars' overflow buttons
// and the settings' zoom list: the names their accessibility interfaces give the bus.

#include "MainWindowTesting.h"
#include "support/QtPrinters.h"
#include "i18n/TextLookup.h"
#include "ui/dialogs/dlgSettings.h"

#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

QString BusName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<not on the bus>");
}

TEST_F(MainWindowFixture, StatusFieldsReadTheirTextAndOverflowButtonsNameTheirBar) {
    SetHost(&host);
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        ResetFileView();
        Settings().LanguageName = language;
        ReloadLocalizer();
        window = std::make_unique<frmMain>();
        window->ScaleAndLocalise();
        window->Prepare();
        const QStringList texts{QStringLiteral("Done: 10 copied"), QStringLiteral("Folder 2 could not be read"),
                                QStringLiteral("3 files")};
        for (int field = 0; field < 3; ++field) {
            window->SetStatus(field, texts[field]);
            auto* label = window->findChild<QLabel*>(QStringLiteral("lblStatus_%1").arg(field));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(BusName(label), texts[field]) << qPrintable(language);
        }
        for (int bar = 0; bar < 4; ++bar) {
            QToolBar* toolbar = window->Commands().Toolbar(bar);
            auto* more = toolbar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
            ASSERT_NE(more, nullptr);
            EXPECT_EQ(BusName(more), FormatMsg(1286, {toolbar->accessibleName()})) << qPrintable(language);
            EXPECT_FALSE(toolbar->accessibleName().isEmpty());
        }
        window.reset();
    }
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
    SetHost(nullptr);
}

TEST_F(MainWindowFixture, TheZoomListIsNamedByItsLabel) {
    Settings().LanguageName = QStringLiteral("Deutsch");
    ReloadLocalizer();
    dlgSettings dialog;
    auto* zoom = dialog.findChild<QListWidget*>(QStringLiteral("lstZoom"));
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(BusName(zoom), QString(FormatMsg(15370)).remove(QLatin1Char('&')));
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
}

}  // namespace
