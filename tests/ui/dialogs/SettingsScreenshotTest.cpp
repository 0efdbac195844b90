// Pictures of every page of the default settings and of the language choice, in English and
// German, for looking at them. Runs only when TANDOR_SHOT_DIR names the folder for the PNG files.

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "support/TempTree.h"
#include "ui/dialogs/dlgLanguage.h"
#include "ui/dialogs/dlgSettings.h"

#include <QApplication>
#include <QDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

void Settle() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

TEST(Screenshots, DefaultSettingsPagesAndLanguageInEnglishAndGerman) {
    const QString folder = qEnvironmentVariable("TANDOR_SHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "TANDOR_SHOT_DIR not set";
    QDir().mkpath(folder);
    IsolatedEnvironment env;
    LoadProgramSettings();
    TempTree logs;
    logs.File("20240131.log", "2024-01-31 10:00:00\tStart\tExample1.tdp\r\n2024-01-31 10:00:02\tEnd\tExample1.tdp\r\n");
    Settings().LogfilesFolder = logs.Path();
    Clock::SetNowForTests([] { return QDateTime(QDate(2024, 1, 31), QTime(12, 0)); });
    const char* tabs[] = {"TAB_LISTNAMES", "TAB_INCLUDE", "TAB_OPTIONS1", "TAB_LOGFILE", "TAB_ABOUT"};
    for (const char* language : {"English", "Deutsch"}) {
        Settings().LanguageName = QString::fromLatin1(language);
        ReloadLocalizer();
        dlgSettings dialog;
        dialog.show();
        for (const char* tab : tabs) {
            dialog.SelectTab(QString::fromLatin1(tab));
            Settle();
            EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/settings-%1-%2.png").arg(tab, language)));
            if (qEnvironmentVariableIsSet("TANDOR_SHOT_HOLD")) QThread::sleep(2);  // for a screen grab
        }
        dlgLanguage choice;
        choice.show();
        Settle();
        EXPECT_TRUE(choice.grab().save(folder + QStringLiteral("/language-%1.png").arg(language)));
    }
    Clock::SetNowForTests({});
}

}  // namespace
