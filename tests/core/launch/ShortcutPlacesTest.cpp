// Where a shortcut goes by default and when the program's own menu entry is written, on a home
// folder of its own (HOME and the XDG folders point into a temporary tree).

#include "config/ProgramSettings.h"
#include "launch/DesktopEntry.h"
#include "support/TempTree.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(ShortcutPlacesTest, DefaultFolderIsTheDesktopElseTheApplicationsMenu) {
    struct Case {
        const char* userDirs;   // contents of user-dirs.dirs; nullptr: no such file
        bool desktopExists;     // ~/Desktop is there
        const char* expected;   // below the home folder
    };
    const Case cases[] = {
        {"XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", false, "/Schreibtisch"},  // named, made when needed
        {nullptr, true, "/Desktop"},
        {nullptr, false, "/.local/share/applications"},
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", true, "/.local/share/applications"},  // "no desktop folder"
    };
    for (const Case& c : cases) {
        TempTree tree;
        tree.Folder(QStringLiteral("home/.config"));
        if (c.userDirs) tree.File(QStringLiteral("home/.config/user-dirs.dirs"), c.userDirs);
        if (c.desktopExists) tree.Folder(QStringLiteral("home/Desktop"));
        ScopedEnvironment home;
        home.Set("HOME", tree.Path(QStringLiteral("home")).toUtf8());
        home.Set("XDG_CONFIG_HOME", tree.Path(QStringLiteral("home/.config")).toUtf8());
        home.Set("XDG_DATA_HOME", tree.Path(QStringLiteral("home/.local/share")).toUtf8());
        EXPECT_EQ(DefaultShortcutFolder(), tree.Path(QStringLiteral("home")) + QString::fromLatin1(c.expected))
            << (c.userDirs ? c.userDirs : "no user-dirs.dirs");
    }
}

TEST(ShortcutPlacesTest, MenuEntryIsWrittenOnceAndNeverBesideAnInstalledOne) {
    TempTree tree;
    const QString icon = tree.File(QStringLiteral("bin/tandor.svg"), "<svg/>");
    const QString dataHome = tree.Path(QStringLiteral("share"));
    const QString system = tree.Folder(QStringLiteral("usr/share"));
    const QString entry = dataHome + QStringLiteral("/applications/org.tandor.Tandor.desktop");

    EXPECT_EQ(InstallProgramMenuEntry(dataHome, {system}, tree.Path(QStringLiteral("bin/tandor")), icon), QString());
    EXPECT_TRUE(QFileInfo::exists(entry));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/icons/hicolor/scalable/apps/org.tandor.Tandor.svg")));
    EXPECT_TRUE(tree.Read(QStringLiteral("share/applications/org.tandor.Tandor.desktop")).contains("\nIcon=org.tandor.Tandor\n"));

    TempTree installed;
    installed.File(QStringLiteral("usr/share/applications/org.tandor.Tandor.desktop"), "[Desktop Entry]\n");
    const QString otherHome = installed.Path(QStringLiteral("share"));
    EXPECT_EQ(InstallProgramMenuEntry(otherHome, {system, installed.Path(QStringLiteral("usr/share"))},
                                      installed.Path(QStringLiteral("bin/tandor")), icon),
              QString());
    EXPECT_FALSE(QFileInfo::exists(otherHome)) << "a second entry beside the installed one";
}

}  // namespace
