// Which pages are the program's own (only those may use the page commands), the help content
// beside the program and the rules that find it, and the update answer's days.

#include "web/HelpContent.h"
#include "web/UpdateCheck.h"

#include "support/TempTree.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(PageAccess, OnlyPagesInTheHelpFoldersOrBeneathTheOnlineAddressAreTheProgramsOwn) {
    TempTree tree;
    const auto local = [&](const char* page) { return QUrl::fromLocalFile(tree.Path(QString::fromLatin1(page))); };
    for (const char* page : {"Help/English/a.htm", "HTML1/English/a.htm", "Other/a.htm", "HelpMe/a.htm", "Help-x/a.htm"})
        tree.File(QString::fromLatin1(page), "x");
    QFile::link(tree.Path(QStringLiteral("Other")), tree.Path(QStringLiteral("Help/English/link")));
    const QString base = QStringLiteral("https://tandor.example.org/help/en/");
    for (const char* page : {"Help/English/a.htm", "HTML1/English/a.htm"})
        EXPECT_TRUE(IsProgramPage(local(page), tree.Path(), base)) << page;
    // Other folders, also those beside the help folders whose names begin like them, and the
    // ways out of a help folder.
    for (const char* page : {"Other/a.htm", "HelpMe/a.htm", "Help-x/a.htm", "Help/English/../../Other/a.htm",
                             "Help/English/link/a.htm"})
        EXPECT_FALSE(IsProgramPage(local(page), tree.Path(), base)) << page;

    EXPECT_TRUE(IsProgramPage(QUrl(base + QStringLiteral("wizard.htm")), tree.Path(), base));
    EXPECT_FALSE(IsProgramPage(QUrl(base + QStringLiteral("wizard.htm")), tree.Path(), QString()));
    for (const char* address : {"https://tandor.example.org/other/x.htm", "https://evil.example/help/en/x.htm",
                                "http://tandor.example.org/help/en/x.htm", "https://me@tandor.example.org/help/en/x.htm",
                                "https://tandor.example.org:8443/help/en/x.htm"})
        EXPECT_FALSE(IsProgramPage(QUrl(QString::fromLatin1(address)), tree.Path(), base)) << address;
}

// What the build copied beside the program: every page a window opens or the navigation file
// names is there in every language; a link or picture that points nowhere would show an error
// page or a broken picture, and a file that one language lacks leaves that language without it.
TEST(HelpContent, EveryPageLinkAndPictureLeadsToAFileAndBothLanguagesHaveTheSameFiles) {
    constexpr qint64 kMaxPictureBytes = 150 * 1024;  // the pictures travel with every installation
    QStringList pages = AllWindowHelpPages();
    ASSERT_TRUE(pages.contains(QStringLiteral("main")) && pages.contains(QStringLiteral("logfile")));
    const NavigationTable nav = ReadLocalNavigation(QStringLiteral(TANDOR_DATA_DIR "/Tandor.nav"));
    ASSERT_GE(nav.size(), 4);
    for (const auto& entry : nav) pages << QFileInfo(entry.second).completeBaseName();
    const QRegularExpression target(QStringLiteral("(?:href|src)=\"([^\":#]*)[\"#]"));
    QStringList filesOfFirst;
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        const QString folderPath = ChooseHelpFolder(QStringLiteral(TANDOR_DATA_DIR), language, 1);
        EXPECT_TRUE(folderPath.endsWith(QStringLiteral("/Help/") + language + QLatin1Char('/')));
        const QDir folder(folderPath);
        const QStringList files = folder.entryList(QDir::Files, QDir::Name);
        if (filesOfFirst.isEmpty()) filesOfFirst = files;
        EXPECT_EQ(files, filesOfFirst) << language.toStdString();
        for (const QString& page : pages)
            EXPECT_TRUE(files.contains(page + QStringLiteral(".htm"))) << language.toStdString() << " lacks " << page.toStdString();
        for (const QString& name : files) {
            if (name.endsWith(QStringLiteral(".png"))) {
                EXPECT_LE(QFileInfo(folder.filePath(name)).size(), kMaxPictureBytes) << name.toStdString();
            }
            if (!name.endsWith(QStringLiteral(".htm"))) continue;
            QFile page(folder.filePath(name));
            ASSERT_TRUE(page.open(QIODevice::ReadOnly));
            for (const QRegularExpressionMatch& m : target.globalMatch(QString::fromUtf8(page.readAll())))
                EXPECT_TRUE(m.captured(1).isEmpty() || files.contains(m.captured(1)))
                    << (language + QLatin1Char('/') + name + QStringLiteral(": ") + m.captured(1)).toStdString();
        }
    }
}

TEST(HelpContent, WindowsNameTheirPagesAndADialogMayNameItsCurrentPage) {
    QDialog dirs;
    dirs.setObjectName(QStringLiteral("dlgDirs"));
    EXPECT_EQ(HelpPageOf(&dirs), QStringLiteral("dirs"));
    dirs.setProperty("helpPage", QStringLiteral("logfile"));
    EXPECT_EQ(HelpPageOf(&dirs), QStringLiteral("logfile"));
    EXPECT_EQ(HelpPageOf(nullptr), QStringLiteral("index"));
}

TEST(HelpContent, HelpFolderPrefersTheVersionedHtmlFolderAndFallsBackToTheProgramFolder) {
    TempTree tree;
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("English"), 2), tree.Path() + QLatin1Char('/'));
    // Each folder made wins over those made before it.
    for (const char* folder : {"Help/English/", "HTML/English/", "Help2/English/", "HTML2/English/"}) {
        tree.Folder(QString::fromLatin1(folder));
        EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("English"), 2), tree.Path(QString::fromLatin1(folder)));
    }
    EXPECT_EQ(ChooseHelpFolder(tree.Path(), QStringLiteral("Deutsch"), 2), tree.Path() + QLatin1Char('/'));
}

TEST(HelpContent, NavigationListsKeepFileOrderAndRefuseWhatIsNotAnEntry) {
    TempTree tree;
    const QString nav = tree.File(QStringLiteral("Tandor.nav"), "[One]\nb=page2.htm\n; note\n=nokey.htm\n[Two]\na=page1.htm\nbroken line\n");
    EXPECT_EQ(ReadLocalNavigation(nav), (NavigationTable{{QStringLiteral("b"), QStringLiteral("page2.htm")},
                                                         {QStringLiteral("a"), QStringLiteral("page1.htm")}}));
    EXPECT_TRUE(ReadLocalNavigation(tree.Path(QStringLiteral("missing.nav"))).isEmpty());
    EXPECT_EQ(ParseOnlineNavigation(QStringLiteral("x=1.htm\r\ny=a=b\r\n\r\nz=3.htm")),
              (NavigationTable{{QStringLiteral("x"), QStringLiteral("1.htm")}, {QStringLiteral("z"), QStringLiteral("3.htm")}}));
    QString enormous;
    for (int i = 0; i < kMaxNavigationEntries + 100; ++i) enormous += QStringLiteral("n%1=p.htm\r\n").arg(i);
    EXPECT_EQ(ParseOnlineNavigation(enormous).size(), kMaxNavigationEntries);
}

TEST(UpdateAnswer, RetcodeDaysDefaultToOneAndImpossibleNumbersAreRefused) {
    const struct {
        const char* retcode;
        std::optional<double> days;
    } cases[] = {{"ok", 1.0}, {"ok;7", 7.0}, {"ok;0.5;x", 0.5}, {"ok;-3", {}}, {"ok;nan", {}}, {"ok;99999999", {}}, {"ok;soon", {}}};
    for (const auto& c : cases) EXPECT_EQ(RetcodeDays(QString::fromLatin1(c.retcode)), c.days) << c.retcode;
}

}  // namespace
