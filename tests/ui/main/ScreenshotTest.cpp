// Pictures of the message box, the progress window and the hint window in English and German, for looking at
// them. Runs only when TANDOR_SHOT_DIR names the folder for the PNG files.

#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "support/TempTree.h"
#include "ui/main/dlgHint.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/dlgProgress.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct Language {
    const char* name;
    const char* prompt;
};

void Settle() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

TEST(Screenshots, MessageBoxAndProgressInEnglishAndGerman) {
    const QString folder = qEnvironmentVariable("TANDOR_SHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "TANDOR_SHOT_DIR not set";
    QDir().mkpath(folder);
    IsolatedEnvironment env;
    for (const Language& language :
         {Language{"English", "The file \"report.txt\" could not be copied.\nDo you want to try again?"},
          Language{"Deutsch", "Die Datei \"report.txt\" konnte nicht kopiert werden.\nErneut versuchen?"}}) {
        Settings().LanguageName = QString::fromLatin1(language.name);
        ReloadLocalizer();
        dlgMsgBox::SoundPlayer() = [](int) {};

        dlgMsgBox box;
        box.Prepare(QString::fromUtf8(language.prompt), 0x80000000u | 48 | 5, QStringLiteral("Tandor!"));
        box.show();
        Settle();
        EXPECT_TRUE(box.grab().save(folder + QStringLiteral("/msgbox-%1.png").arg(language.name)));
        if (qEnvironmentVariableIsSet("TANDOR_SHOT_HOLD")) QThread::sleep(3);  // for a screen grab
        box.Buttons()[1]->click();

        dlgProgress* progress = dlgProgress::Instance();
        progress->show();
        progress->Init(1000);
        progress->ShowFile(QStringLiteral("/home/user/Documents/Projects/2026/Quarterly reports/Drafts/"),
                           QStringLiteral("/media/user/BACKUP/Documents/Projects/2026/Quarterly reports/Drafts/"),
                           QStringLiteral("Quarterly report for the board of directors, third version (final).odt"));
        progress->Update(500, 420);
        Settle();
        EXPECT_TRUE(progress->grab().save(folder + QStringLiteral("/progress-%1.png").arg(language.name)));
        if (qEnvironmentVariableIsSet("TANDOR_SHOT_HOLD")) QThread::sleep(3);
        dlgProgress::Unload();
        Settle();

        dlgHint hint;
        hint.show();
        Settle();
        EXPECT_TRUE(hint.grab().save(folder + QStringLiteral("/hint-%1.png").arg(language.name)));
        hint.close();
    }
    ReloadLocalizer();
}

}  // namespace
