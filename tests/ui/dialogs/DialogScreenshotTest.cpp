// Pictures of the folder pair editor and the profile settings in English and German, for
// looking at them. Runs only when TANDOR_SHOT_DIR names the folder for the PNG files.
#include "DialogTesting.h"

#include "ui/dialogs/dlgDirs.h"
#include "ui/dialogs/dlgProfile.h"

#include <QDir>
#include <QThread>

namespace {

void Settle() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

void Shoot(QWidget* window, const QString& file) {
    window->show();
    window->adjustSize();
    Settle();
    EXPECT_TRUE(window->grab().save(file));
    if (qEnvironmentVariableIsSet("TANDOR_SHOT_HOLD")) {
        // For a grab of the whole screen with its window frame.
        for (int i = 0; i < 150; ++i) {
            QApplication::processEvents();
            QThread::msleep(20);
        }
    }
}

TEST_F(DialogFixture, ScreenshotsOfBothDialogsInEnglishAndGerman) {
    const QString folder = qEnvironmentVariable("TANDOR_SHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "TANDOR_SHOT_DIR not set";
    QDir().mkpath(folder);
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        UseLanguage(language);
        QList<FolderPair> pairs;
        FolderPair pair;
        pair.Dir = {QStringLiteral("/home/user/Documents/Projects"), QStringLiteral("BACKUP/Documents/Projects")};
        pair.Mask = {QStringLiteral("*"), QStringLiteral("cache;.git"), QStringLiteral("*"), QStringLiteral("*.tmp;~*"),
                     QStringLiteral("*.bak")};
        pairs << pair;
        dlgDirs dirs;
        dirs.Init(pairs, 0);
        Shoot(&dirs, folder + QStringLiteral("/dlgDirs-%1.png").arg(language));

        CurrentProfileState state;
        state.profile.Options.ListName = {QStringLiteral("Laptop"), QStringLiteral("USB stick")};
        state.profile.Options.SynchMedium = {false, true};
        state.profile.Options.TimeLag = 2.0 / 86400;
        state.profile.Options.Username = {QString(), QStringLiteral("anna")};
        state.profile.Options.Password = {QString(), QStringLiteral("secret")};
        dlgProfile profile(state);
        Shoot(&profile, folder + QStringLiteral("/dlgProfile-%1.png").arg(language));
    }
}

}  // namespace
