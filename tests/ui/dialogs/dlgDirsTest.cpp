// The folder pair editor on real folders: filling and live updates, the checks of OK with
// their order, styles and answers, browsing with the volume-label form, and drops.
#include "DialogTesting.h"

#include "engine/CompareRun.h"
#include "platform/FileListing.h"
#include "platform/VolumeLabels.h"
#include "ui/dialogs/dlgDirs.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr int Question292 = 292;
constexpr int Exclamation = 48;

struct DirsFixture : DialogFixture {
    QList<FolderPair> pairs;
    std::unique_ptr<dlgDirs> dialog;

    static FolderPair Pair(const QString& one, const QString& two, bool subDirs = true) {
        FolderPair p;
        p.Dir = {one, two};
        p.SubDirs = subDirs;
        p.Mask = {QStringLiteral("*"), QString(), QStringLiteral("*"), QString(), QString()};
        return p;
    }
    void Open(int index) {
        dialog = std::make_unique<dlgDirs>();
        dialog->Init(pairs, index);
        dialog->show();
    }
    // OK with the queued answers; true when the pair was stored and the dialog closed.
    bool Ok(const QList<uint32_t>& answers = {}) {
        host.queuedAnswers = answers;
        host.asked.clear();
        dialog->cmdOK_Click();
        return dialog->result() == QDialog::Accepted && !dialog->isVisible();
    }
    QString P(const QString& relative) { return tree.Path(relative); }
    QCheckBox* Box(const char* name) { return dialog->findChild<QCheckBox*>(QString::fromLatin1(name)); }
};

TEST_F(DirsFixture, NestedFoldersOfThePairAskWithNoAsDefaultAndNoKeepsTheDialogOpen) {
    tree.Folder(QStringLiteral("Data/Backup"));
    pairs << Pair(P("Data") + "/", P("Data/Backup"));
    Open(0);
    EXPECT_FALSE(Ok({MsgBox::No}));
    // The trailing separator went from the box before the question.
    EXPECT_EQ(dialog->txtPath(0)->text(), P("Data"));
    ASSERT_EQ(host.asked.size(), 1);
    EXPECT_EQ(host.asked[0].first, FormatMsg(20830));
    EXPECT_EQ(host.asked[0].second, Question292);
    EXPECT_EQ(pairs[0].Dir[0], P("Data") + "/");  // nothing stored
    EXPECT_TRUE(dialog->isVisible());

    EXPECT_TRUE(Ok({MsgBox::Yes}));
    EXPECT_EQ(pairs[0].Dir[0], P("Data"));

    // Folder 1 inside folder 2 asks the other question; without subfolders nothing is asked.
    pairs[0] = Pair(P("Data/Backup"), P("Data"));
    Open(0);
    EXPECT_FALSE(Ok({MsgBox::No}));
    EXPECT_EQ(host.Texts(), QStringList{FormatMsg(20840)});
    pairs[0].SubDirs = false;
    Open(0);
    EXPECT_TRUE(Ok());
    EXPECT_TRUE(host.asked.isEmpty());
}

TEST_F(DirsFixture, LetterCaseCountsUnlessTheFileSystemFoldsIt) {
    pairs << Pair(P("data"), P("Data/Backup"));
    Open(0);
    EXPECT_TRUE(Ok());
    EXPECT_TRUE(host.asked.isEmpty());
    // "sibling" is no folder inside "sib": the separator must follow.
    pairs[0] = Pair(P("sib"), P("sibling"));
    Open(0);
    EXPECT_TRUE(Ok());
    EXPECT_TRUE(host.asked.isEmpty());

    FileSystem::SetCaseFoldingFoldersForTests({tree.Path()});
    pairs[0] = Pair(P("data"), P("Data/Backup"));
    Open(0);
    EXPECT_FALSE(Ok({MsgBox::No}));
    FileSystem::SetCaseFoldingFoldersForTests({});
    EXPECT_EQ(host.Texts(), QStringList{FormatMsg(20830)});
}

TEST_F(DirsFixture, EmptyFoldersStopWithAnExclamationAndKeepTheFocus) {
    pairs << Pair(QString(), P("b")) << Pair(P("a"), QString());
    Open(0);
    dialog->txtPath(0)->setText(QStringLiteral("   "));
    EXPECT_FALSE(Ok());
    ASSERT_EQ(host.asked.size(), 1);
    EXPECT_EQ(host.asked[0].first, FormatMsg(20810));
    EXPECT_EQ(host.asked[0].second, Exclamation);
    Open(1);
    dialog->txtPath(1)->clear();
    EXPECT_FALSE(Ok());
    EXPECT_EQ(host.Texts(), QStringList{FormatMsg(20820)});
    EXPECT_EQ(pairs[1].Dir[0], P("a"));
}

TEST_F(DirsFixture, OtherPairsAreCheckedInOrderAndAnEqualFolderSkipsTheNestingQuestions) {
    // The other pair uses M as folder 2; this pair uses M as folder 1 and its folder 2 lies
    // inside the other pair's folder 1, which would be a nesting question.
    pairs << Pair(P("X"), P("M")) << Pair(P("M"), P("X/inner"));
    Open(1);
    EXPECT_TRUE(Ok({MsgBox::Yes}));
    EXPECT_EQ(host.Texts(), QStringList{FormatMsg(20880)});

    // Without an equal folder the nesting questions come, with the other pair's folder.
    pairs[1] = Pair(P("N"), P("X/inner"), false);
    Open(1);
    EXPECT_TRUE(Ok({MsgBox::Yes}));
    EXPECT_EQ(host.Texts(), QStringList{FormatMsg(20940, {P("X")})});

    // Several questions: each Yes goes on, the first No stops and stores nothing.
    pairs[1] = Pair(P("X/inner"), P("X"));
    pairs << Pair(P("X/inner"), P("Y"));
    const QList<FolderPair> before = pairs;
    Open(1);
    EXPECT_FALSE(Ok({MsgBox::Yes, MsgBox::Yes, MsgBox::No}));
    EXPECT_EQ(host.Texts(), (QStringList{FormatMsg(20840), FormatMsg(20870), FormatMsg(20850)}));
    EXPECT_EQ(pairs[1].Dir, before[1].Dir);
    for (const auto& entry : host.asked) EXPECT_EQ(entry.second, Question292);

    // A pair inside this pair's folder 1, with this pair including subfolders.
    pairs = {Pair(P("Z/deep"), P("W")), Pair(P("Z"), P("V"))};
    Open(1);
    EXPECT_FALSE(Ok({MsgBox::No}));
    EXPECT_EQ(host.Texts(), QStringList{FormatMsg(20890, {P("Z/deep")})});
}

TEST_F(DirsFixture, InitTakesThePreviousFoldersAndControlsUpdateTheCopyLive) {
    pairs << Pair(P("one"), QStringLiteral("DATA/Backup")) << Pair(QString(), QString());
    pairs[1].Mask[MaskExcludeFiles] = QStringLiteral("*.tmp");
    Open(1);
    EXPECT_EQ(dialog->txtPath(0)->text(), P("one"));
    EXPECT_EQ(dialog->txtPath(1)->text(), QStringLiteral("DATA/Backup"));
    EXPECT_EQ(dialog->txtSearch(3)->text(), QStringLiteral("*.tmp"));
    EXPECT_FALSE(Box("chkReplaceDriveLetterByVolumeLabel_0")->isChecked());
    EXPECT_TRUE(Box("chkReplaceDriveLetterByVolumeLabel_1")->isChecked());

    dialog->txtSearch(4)->setText(QStringLiteral("~*"));
    EXPECT_EQ(dialog->Pair().Mask[MaskDeleteFiles], QStringLiteral("~*"));
    Box("chkHidden_1")->click();
    EXPECT_FALSE(dialog->Pair().Hidden[1]);
    Box("chkSubDirs")->click();
    EXPECT_FALSE(dialog->Pair().SubDirs);
    EXPECT_FALSE(dialog->txtSearch(0)->isEnabled());
    EXPECT_FALSE(dialog->txtSearch(1)->isEnabled());
    EXPECT_FALSE(Box("chkSystem_0")->isEnabled());
    EXPECT_FALSE(Box("chkHidden_0")->isEnabled());
    EXPECT_TRUE(dialog->txtSearch(2)->isEnabled());
    EXPECT_TRUE(Box("chkHidden_1")->isEnabled());

    // One side at most is created automatically.
    Box("chkAutoCreate_0")->click();
    Box("chkAutoCreate_1")->click();
    EXPECT_FALSE(Box("chkAutoCreate_0")->isChecked());
    EXPECT_EQ(dialog->Pair().AutoCreate, (std::array<bool, 2>{false, true}));

    // Cancel stores none of it.
    dialog->cmdExit_Click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(pairs[1].Dir[0].isEmpty());
    EXPECT_TRUE(pairs[1].SubDirs);
    EXPECT_EQ(pairs[1].Mask[MaskDeleteFiles], QString());
}

TEST_F(DirsFixture, LongMasksAndUnusualNamesSurviveUnchanged) {
    const QString mask = QString(32767, QLatin1Char('a')) + QStringLiteral(";*.b");
    const QString odd = P("caf") + QChar(0xDCE9) + QStringLiteral(" %Name% /");
    pairs << Pair(odd, P("right"));
    pairs[0].Mask[MaskExcludeFiles] = mask;
    Open(0);
    EXPECT_TRUE(Ok());
    EXPECT_EQ(pairs[0].Mask[MaskExcludeFiles], mask);
    EXPECT_EQ(pairs[0].Dir[0], odd.chopped(1));
}

TEST_F(DirsFixture, BrowsingOffersTheSidesTitleAndGivesTheLabelFormWhenAsked) {
    tree.File(QStringLiteral("dev/sdz1"), "");
    tree.Folder(QStringLiteral("bylabel"));
    ASSERT_TRUE(QFile::link(P("dev/sdz1"), P("bylabel/CARD")));
    tree.File(QStringLiteral("mountinfo"),
              ("36 25 8:1 / " + P("media/card") + " rw - vfat " + P("dev/sdz1") + " rw\n").toUtf8());
    const FileSystem::VolumeSourcesScope labels({P("bylabel"), P("mountinfo")});
    QString title;
    QString start;
    const auto systemBrowser = dlgDirs::FolderBrowser();
    dlgDirs::FolderBrowser() = [&](QWidget*, const QString& t, const QString& s) {
        title = t;
        start = s;
        return P("media/card/Photos");
    };
    pairs << Pair(QStringLiteral("CARD/Old"), P("b"));
    Open(0);
    dialog->cmdGetDir_Click(0);
    EXPECT_EQ(title, FormatMsg(20800, {FormatMsg(20801)}));
    EXPECT_EQ(start, P("media/card/Old"));
    EXPECT_EQ(dialog->txtPath(0)->text(), QStringLiteral("CARD/Photos"));
    // Without the switch the chosen path stays as it is.
    dialog->cmdGetDir_Click(1);
    EXPECT_EQ(title, FormatMsg(20800, {FormatMsg(20802)}));
    EXPECT_EQ(dialog->txtPath(1)->text(), P("media/card/Photos"));
    dlgDirs::FolderBrowser() = systemBrowser;
}

TEST_F(DirsFixture, DropsTakeOneFolderOrItemsOfTheRightKind) {
    tree.Folder(QStringLiteral("left/sub"));
    tree.Folder(QStringLiteral("other"));
    tree.File(QStringLiteral("left/sub/a.txt"), "a");
    tree.File(QStringLiteral("elsewhere/b.log"), "b");
    pairs << Pair(P("left"), P("right"));
    pairs[0].Mask[MaskExcludeFiles] = QStringLiteral("*.bak");
    Open(0);
    auto urls = [](const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> list;
        for (const QString& p : paths) list << QUrl::fromLocalFile(p);
        data->setUrls(list);
        return std::unique_ptr<QMimeData>(data);
    };
    EXPECT_FALSE(dialog->DropOnFolder(1, urls({P("other"), P("left")}).get()));
    EXPECT_FALSE(dialog->DropOnFolder(1, urls({P("left/sub/a.txt")}).get()));
    EXPECT_EQ(dialog->txtPath(1)->text(), P("right"));
    EXPECT_TRUE(dialog->DropOnFolder(1, urls({P("other")}).get()));
    EXPECT_EQ(dialog->txtPath(1)->text(), P("other"));
    QMimeData text;
    text.setText(P("left/sub") + "\n");
    EXPECT_TRUE(dialog->DropOnFolder(1, &text));
    EXPECT_EQ(dialog->txtPath(1)->text(), P("left/sub"));

    // Files onto the exclude-files box: below folder 1 by their path there, else by name.
    dialog->txtPath(1)->setText(P("right"));
    EXPECT_TRUE(dialog->DropOnMask(3, urls({P("left/sub/a.txt"), P("elsewhere/b.log")}).get()));
    EXPECT_EQ(dialog->txtSearch(3)->text(), QStringLiteral("*.bak;sub/a.txt;b.log"));
    // A folder onto a files box, or a file onto a subfolder box, is refused.
    EXPECT_FALSE(dialog->DropOnMask(2, urls({P("left/sub")}).get()));
    EXPECT_FALSE(dialog->DropOnMask(1, urls({P("left/sub/a.txt"), P("left/sub")}).get()));
    EXPECT_TRUE(dialog->DropOnMask(1, urls({P("left/sub")}).get()));
    EXPECT_EQ(dialog->txtSearch(1)->text(), QStringLiteral("sub"));
}

TEST_F(DirsFixture, EveryControlIsNamedForScreenReadersInTheChosenLanguage) {
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        UseLanguage(language);
        pairs = {Pair(P("a"), P("b"))};
        Open(0);
        EXPECT_EQ(dialog->txtSearch(0)->accessibleName(), FormatMsg(1110));
        EXPECT_EQ(dialog->txtSearch(4)->accessibleName(), FormatMsg(1114));
        const auto* browse = dialog->findChild<QWidget*>(QStringLiteral("cmdGetDir_1"));
        EXPECT_EQ(browse->accessibleName(), FormatToolTip(QStringLiteral("20021")));
        EXPECT_EQ(dialog->findChild<QPushButton*>(QStringLiteral("cmdExit"))->text(), FormatMsg(20120));
        EXPECT_EQ(Box("chkAutoCreate_0")->text(), FormatMsg(20030));
        EXPECT_NE(FormatMsg(1110), QStringLiteral("1110"));
    }
    EXPECT_NE(FormatMsg(20030), QStringLiteral("Create this folder if it doesn't yet exist"));
}

}  // namespace
