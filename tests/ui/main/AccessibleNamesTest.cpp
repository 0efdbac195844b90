// What a screen reader reads of the main window in either language: every control it reaches
// under a name of its own, the file list's ticks, the status line by its text and the tool bars'
// overflow buttons by their bar; and the settings' zoom list by its label.

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

TEST_F(FileListFixture, EveryControlOfTheMainWindowReadsUnderItsOwnNameInTheLanguage) {
    OpenWindow(1000, 640);
    FileView& view = CurrentFileView();
    view.Results = ResultList(1);
    CompareRow row;
    row.SyncAction = -1;
    row.Folder[0] = QStringLiteral("/l/");
    row.Folder[1] = QStringLiteral("/r/");
    row.Name[0] = QStringLiteral("new.txt");
    view.Results.push_back(row);
    view.Stale = false;
    list->UpdateView(0);
    const struct {
        const char* language;
        QStringList names;  // among the names read
        const char* direction;  // what the new file's row does
    } languages[] = {
        {"English", {QStringLiteral("Delete in 2 (Synchronization)")}, "copy to the right"},
        {"Deutsch", {QStringLiteral("Verglichene Dateien"), QStringLiteral("Lösche in 2 (Synchronisation)")}, "nach rechts kopieren"},
    };
    for (const auto& [language, expected, direction] : languages) {
        SCOPED_TRACE(language);
        Settings().LanguageName = QString::fromLatin1(language);
        ReloadLocalizer();
        window->ScaleAndLocalise();
        window->SetProfileTitle(QStringLiteral("backup"));
        EXPECT_EQ(BusName(window.get()), window->windowTitle());
        QStringList seen, twice;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(window.get()) || w->focusPolicy() == Qt::NoFocus) continue;
            const QString name = BusName(w);
            EXPECT_FALSE(name.trimmed().isEmpty()) << qPrintable(w->objectName());
            if (seen.contains(name)) twice << name + QLatin1Char('=') + w->objectName();
            seen << name;
        }
        EXPECT_TRUE(twice.isEmpty()) << qPrintable(twice.join(QStringLiteral("; ")));
        for (const QString& name : expected) EXPECT_TRUE(seen.contains(name)) << qPrintable(name);
        const QString cell = QAccessible::queryAccessibleInterface(grid)->tableInterface()->cellAt(0, 0)->text(QAccessible::Name);
        EXPECT_TRUE(cell.contains(QString::fromUtf8(direction))) << qPrintable(cell);
        for (int field = 0; field < 3; ++field) {
            const QString text = QStringLiteral("Status text %1").arg(field);
            window->SetStatus(field, text);
            EXPECT_EQ(BusName(window->findChild<QLabel*>(QStringLiteral("lblStatus_%1").arg(field))), text);
        }
        for (int bar = 0; bar < 4; ++bar) {
            QToolBar* toolbar = window->Commands().Toolbar(bar);
            EXPECT_FALSE(toolbar->accessibleName().isEmpty());
            EXPECT_EQ(BusName(toolbar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))),
                      FormatMsg(1286, {toolbar->accessibleName()}));
        }
    }
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
}

TEST_F(MainWindowFixture, TheZoomListIsNamedByItsLabel) {
    Settings().LanguageName = QStringLiteral("Deutsch");
    ReloadLocalizer();
    dlgSettings dialog;
    EXPECT_EQ(BusName(dialog.findChild<QListWidget*>(QStringLiteral("lstZoom"))), QString(FormatMsg(15370)).remove(QLatin1Char('&')));
    Settings().LanguageName = QStringLiteral("English");
    ReloadLocalizer();
}

}  // namespace
