// The help content beside the program and the rules that find it: every page a window opens
// exists in every language, every link and picture of a page leads somewhere, the help folder
// order, the navigation lists, which pages are the program's own, the update answer's days.

#include "web/HelpContent.h"
#include "web/UpdateCheck.h"

#include "support/TempTree.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(HelpContent, EveryPageAWindowOpensExistsInEveryLanguage) {
    const QStringList languages{QStringLiteral("English"), QStringLiteral("Deutsch")};
    QStringList pages = AllWindowHelpPages();
    pages << QStringLiteral("wizard1") << QStringLiteral("wizard2") << QStringLiteral("wizard3");
    ASSERT_TRUE(pages.contains(QStringLiteral("main")));
    ASSERT_TRUE(pages.contains(QStringLiteral("logfile")));
    for (const QString& language : languages) {
        const QString folder = ChooseHelpFolder(QStringLiteral(TANDOR_DATA_DIR), language, 1);
        EXPECT_TRUE(folder.endsWith(QStringLiteral("/Help/") + language + QLatin1Char('/'))) << folder.toStdString();
        for (const QString& page : pages)
            EXPECT_TRUE(QFileInfo(folder + page + QStringLiteral(".htm")).isFile())
                << language.toStdString() << " lacks " << page.toStdString();
    }
    // Every page the navigation file names is there too.
    const NavigationTable nav = ReadLocalNavigation(QStringLiteral(TANDOR_DATA_DIR "/Tandor.nav"));
    ASSERT_GE(nav.size(), 4);
    for (const QString& language : languages)
        for (const auto& entry : nav)
            EXPECT_TRUE(QFileInfo(QStringLiteral(TANDOR_DATA_DIR "/Help/") + language + QLatin1Char('/') + entry.second).isFile())
                << entry.second.toStdString();
}

// What the build copied beside the program: a link or picture that points nowhere shows the user
// an error page or a broken picture, and a page or picture that one language lacks leaves that
// language without it.
TEST(HelpContent, EveryLinkAndPictureLeadsToAFileOfItsFolderAndBothLanguagesHaveTheSameFiles) {
    constexpr qint64 kMaxPictureBytes = 150 * 1024;  // the pictures travel with every installation
    const QStringList languages{QStringLiteral("English"), QStringLiteral("Deutsch")};
    const QRegularExpression target(QStringLiteral("(?:href|src)=\"([^\":]*)\""));
    QStringList filesOfFirst;
    for (const QString& language : languages) {
        const QDir folder(ChooseHelpFolder(QStringLiteral(TANDOR_DATA_DIR), language, 1));
        const QStringList files = folder.entryList(QDir::Files, QDir::Name);
        if (filesOfFirst.isEmpty()) filesOfFirst = files;
        EXPECT_EQ(files, filesOfFirst) << language.toStdString();
        for (const QString& name : files) {
            if (name.endsWith(QStringLiteral(".png"))) {
                EXPECT_LE(QFileInfo(folder.filePath(name)).size(), kMaxPictureBytes) << name.toStdString();
            }
            if (!name.endsWith(QStringLiteral(".htm"))) continue;
            QFile page(folder.filePath(name));
            ASSERT_TRUE(page.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(page.readAll());
            for (const QRegularExpressionMatch& m : target.globalMatch(text)) {
                const QString link = m.captured(1);
                const QString file = link.section(QLatin1Char('#'), 0, 0);
                const QString id = link.section(QLatin1Char('#'), 1);
                const std::string where = (language + QLatin1Char('/') + name + QStringLiteral(": ") + link).toStdString();
                if (!file.isEmpty()) {
                    EXPECT_TRUE(files.contains(file)) << where;
                    if (!files.contains(file)) continue;
                }
                if (id.isEmpty()) continue;
                QFile linked(folder.filePath(file.isEmpty() ? name : file));
                ASSERT_TRUE(linked.open(QIODevice::ReadOnly));
                EXPECT_TRUE(QString::fromUtf8(linked.readAll()).contains(QStringLiteral("id=\"") + id + QLatin1Char('"')))
                    << where;
            }
        }
    }
}

TEST(HelpContent, WindowsNameTheirPagesAndADialogMayNameItsCurrentPage) {
    QDialog dirs;
    dirs.setObjectName(QStringLiteral("dlgDirs"));
    EXPECT_EQ(HelpPageOf(&dirs), QStringLiteral("dirs"));
    QDialog settings;
    settings.setObjectName(QStringLiteral("dlgSettings"));
    settings.setProperty("helpPage", QStringLiteral("logfile"));
    EXPECT_EQ(HelpPageOf(&settings), QStringLiteral("logfile"));
    EXPECT_EQ(HelpPageOf(nullptr), QStringLiteral("index"));
}

TEST(HelpContent, HelpFolderPrefersTheVersionedHtmlFolderAndFallsBackToTheProgramFolder) {
    TempTree tree;
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("English"), 2), tree.Path() + QLatin1Char('/'));
    tree.Folder(QStringLiteral("Help/English"));
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("English"), 2), tree.Path(QStringLiteral("Help/English/")));
    tree.Folder(QStringLiteral("HTML/English"));
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("English"), 2), tree.Path(QStringLiteral("HTML/English/")));
    tree.Folder(QStringLiteral("Help2/English"));
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("English"), 2), tree.Path(QStringLiteral("Help2/English/")));
    tree.Folder(QStringLiteral("HTML2/English"));
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("English"), 2), tree.Path(QStringLiteral("HTML2/English/")));
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("Deutsch"), 2), tree.Path() + QLatin1Char('/'));
}

TEST(HelpContent, NavigationListsKeepFileOrderAndRefuseWhatIsNotAnEntry) {
    TempTree tree;
    const QString nav = tree.File(QStringLiteral("Tandor.nav"), "[One]\nb=page2.htm\n; note\n=nokey.htm\n[Two]\na=page1.htm\nbroken line\n");
    const NavigationTable local = ReadLocalNavigation(nav);
    ASSERT_EQ(local.size(), 2);
    EXPECT_EQ(local[0], qMakePair(QStringLiteral("b"), QStringLiteral("page2.htm")));
    EXPECT_EQ(local[1], qMakePair(QStringLiteral("a"), QStringLiteral("page1.htm")));
    EXPECT_TRUE(ReadLocalNavigation(tree.Path(QStringLiteral("missing.nav"))).isEmpty());

    const NavigationTable online = ParseOnlineNavigation(QStringLiteral("x=1.htm\r\ny=a=b\r\n\r\nz=3.htm"));
    ASSERT_EQ(online.size(), 2);
    EXPECT_EQ(online[1].first, QStringLiteral("z"));
    QString enormous;
    for (int i = 0; i < kMaxNavigationEntries + 100; ++i) enormous += QStringLiteral("n%1=p.htm\r\n").arg(i);
    EXPECT_EQ(ParseOnlineNavigation(enormous).size(), kMaxNavigationEntries);
}

TEST(HelpContent, OnlyPagesInTheHelpFoldersOrBeneathTheOnlineAddressAreTheProgramsOwn) {
    TempTree tree;
    const QString page = tree.File(QStringLiteral("Help/English/a.htm"), "x");
    const QString versioned = tree.File(QStringLiteral("HTML1/English/a.htm"), "x");
    const QString outside = tree.File(QStringLiteral("Other/a.htm"), "x");
    const QString looksAlike = tree.File(QStringLiteral("HelpMe/a.htm"), "x");
    const QString base = QStringLiteral("https://tandor.example.org/help/en/");
    EXPECT_TRUE(IsProgramPage(QUrl::fromLocalFile(page), tree.Path(), base));
    EXPECT_TRUE(IsProgramPage(QUrl::fromLocalFile(versioned), tree.Path(), base));
    EXPECT_FALSE(IsProgramPage(QUrl::fromLocalFile(outside), tree.Path(), base));
    EXPECT_FALSE(IsProgramPage(QUrl::fromLocalFile(looksAlike), tree.Path(), base));
    EXPECT_FALSE(IsProgramPage(QUrl::fromLocalFile(tree.Path(QStringLiteral("Help/English/../../Other/a.htm"))),
                               tree.Path(), base));
    EXPECT_TRUE(IsProgramPage(QUrl(base + QStringLiteral("wizard.htm")), tree.Path(), base));
    EXPECT_FALSE(IsProgramPage(QUrl(QStringLiteral("https://tandor.example.org/other/x.htm")), tree.Path(), base));
    EXPECT_FALSE(IsProgramPage(QUrl(QStringLiteral("https://evil.example/help/en/x.htm")), tree.Path(), base));
    EXPECT_FALSE(IsProgramPage(QUrl(QStringLiteral("http://tandor.example.org/help/en/x.htm")), tree.Path(), base));
}

TEST(UpdateAnswer, RetcodeDaysDefaultToOneAndImpossibleNumbersAreRefused) {
    EXPECT_EQ(RetcodeDays(QStringLiteral("ok")), 1.0);
    EXPECT_EQ(RetcodeDays(QStringLiteral("ok;7")), 7.0);
    EXPECT_EQ(RetcodeDays(QStringLiteral("ok;0.5;x")), 0.5);
    EXPECT_FALSE(RetcodeDays(QStringLiteral("ok;-3")));
    EXPECT_FALSE(RetcodeDays(QStringLiteral("ok;nan")));
    EXPECT_FALSE(RetcodeDays(QStringLiteral("ok;99999999")));
    EXPECT_FALSE(RetcodeDays(QStringLiteral("ok;soon")));
}

}  // namespace
