// The folder pair editor on real folders: the checks of OK with their order, styles and answers,
// what the controls change and Cancel keeps, browsing with the volume-label form, and drops.
#include "DialogTesting.h"

#include "engine/CompareRun.h"
#include "platform/FileListing.h"
#include "platform/VolumeLabels.h"
#include "ui/dialogs/dlgDirs.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace {

constexpr int Question292 = MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2;

struct DirsFixture : DialogFixture {
    QList<FolderPair> pairs;
    std::unique_ptr<dlgDirs> dialog;

    FolderPair Pair(const QString& one, const QString& two, bool subDirs = true) {
        FolderPair p;
        p.Dir = {one.isEmpty() || one.trimmed().isEmpty() ? one : P(one), two.isEmpty() ? two : P(two)};
        p.SubDirs = subDirs;
        p.Mask = {QStringLiteral("*"), QString(), QStringLiteral("*"), QString(), QString()};
        return p;
    }
    void Open(int index) {
        dialog = std::make_unique<dlgDirs>();
        dialog->Init(pairs, index);
        dialog->show();
    }
    QString P(const QString& relative) { return tree.Path(relative); }
    QCheckBox* Box(const char* name) { return dialog->findChild<QCheckBox*>(QString::fromLatin1(name)); }
};

// OK checks the pair against itself and every other pair, in a fixed order: each Yes goes on,
// the first No stops with nothing stored and the dialog open. Empty folders stop at once.
TEST_F(DirsFixture, OkAsksAboutNestedAndSharedFoldersInOrder) {
    FolderPair odd = Pair(QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(" %Name% /"), QStringLiteral("right"));
    odd.Mask[MaskExcludeFiles] = QString(32767, QLatin1Char('a')) + QStringLiteral(";*.b");
    const struct {
        QList<FolderPair> pairs;
        int index;
        QList<uint32_t> answers;
        QList<int> asked;
        QString argument;  // of the last question, a folder of the other pair
        bool stored;
        bool foldCase = false;
    } cases[] = {
        {{Pair("Data/", "Data/Backup")}, 0, {MsgBox::No}, {20830}, {}, false},
        {{Pair("Data/", "Data/Backup")}, 0, {MsgBox::Yes}, {20830}, {}, true},
        {{Pair("Data/Backup", "Data")}, 0, {MsgBox::No}, {20840}, {}, false},
        {{Pair("Data/Backup", "Data", false)}, 0, {}, {}, {}, true},
        {{Pair("data", "Data/Backup")}, 0, {}, {}, {}, true},  // letter case counts
        {{Pair("data", "Data/Backup")}, 0, {MsgBox::No}, {20830}, {}, false, true},  // unless folded
        {{Pair("sib", "sibling")}, 0, {}, {}, {}, true},  // "sibling" is no folder inside "sib"
        {{Pair("   ", "b")}, 0, {}, {20810}, {}, false},
        {{Pair("a", "")}, 0, {}, {20820}, {}, false},
        // An equal folder in another pair skips the nesting questions for that pair.
        {{Pair("X", "M"), Pair("M", "X/inner")}, 1, {MsgBox::Yes}, {20880}, {}, true},
        {{Pair("X", "M"), Pair("N", "X/inner", false)}, 1, {MsgBox::Yes}, {20940}, P("X"), true},
        {{Pair("X", "M"), Pair("X/inner", "X"), Pair("X/inner", "Y")}, 1, {MsgBox::Yes, MsgBox::Yes, MsgBox::No},
         {20840, 20870, 20850}, {}, false},
        {{Pair("Z/deep", "W"), Pair("Z", "V")}, 1, {MsgBox::No}, {20890}, P("Z/deep"), false},
        {{odd}, 0, {}, {}, {}, true},  // long masks and unusual names survive unchanged
    };
    for (const auto& c : cases) {
        pairs = c.pairs;
        Open(c.index);
        FileSystem::SetCaseFoldingFoldersForTests(c.foldCase ? std::vector<QString>{tree.Path()} : std::vector<QString>{});
        host.queuedAnswers = c.answers;
        host.asked.clear();
        dialog->cmdOK_Click();
        FileSystem::SetCaseFoldingFoldersForTests({});
        const std::string at = "case " + std::to_string(&c - cases);
        QStringList expected;
        for (const int key : c.asked) expected << FormatMsg(key, {key == c.asked.last() ? c.argument : QString()});
        EXPECT_EQ(host.Texts(), expected) << at;
        for (const auto& [text, style] : host.asked)
            EXPECT_EQ(style, text == FormatMsg(20810) || text == FormatMsg(20820) ? int(MsgBox::Exclamation) : Question292) << at;
        EXPECT_EQ(dialog->result() == QDialog::Accepted, c.stored) << at;
        EXPECT_EQ(dialog->isVisible(), !c.stored) << at;
        const FolderPair& now = pairs[c.index];
        const FolderPair& given = c.pairs[c.index];
        // Stored, folder 1 has lost its trailing separator; else it is untouched.
        EXPECT_EQ(now.Dir[0], c.stored && given.Dir[0].endsWith(QLatin1Char('/')) ? given.Dir[0].chopped(1) : given.Dir[0]) << at;
        EXPECT_EQ(now.Mask, given.Mask) << at;
    }
}

TEST_F(DirsFixture, InitTakesThePreviousFoldersAndControlsChangeOnlyWhatOkStores) {
    pairs << Pair("one", QString()) << Pair(QString(), QString());
    pairs[0].Dir[1] = QStringLiteral("DATA/Backup");
    pairs[1].Mask[MaskExcludeFiles] = QStringLiteral("*.tmp");
    Open(1);
    EXPECT_EQ(dialog->txtPath(0)->text(), P("one"));
    EXPECT_EQ(dialog->txtPath(1)->text(), QStringLiteral("DATA/Backup"));
    EXPECT_EQ(dialog->txtSearch(3)->text(), QStringLiteral("*.tmp"));
    EXPECT_FALSE(Box("chkReplaceDriveLetterByVolumeLabel_0")->isChecked());
    EXPECT_TRUE(Box("chkReplaceDriveLetterByVolumeLabel_1")->isChecked());

    dialog->txtSearch(4)->setText(QStringLiteral("~*"));
    EXPECT_EQ(dialog->Pair().Mask[MaskDeleteFiles], QStringLiteral("~*"));
    Box("chkSubDirs")->click();
    EXPECT_FALSE(dialog->Pair().SubDirs);
    // Without subfolders the subfolder masks and folder 1's switches have nothing to say.
    for (QWidget* off : std::initializer_list<QWidget*>{dialog->txtSearch(0), dialog->txtSearch(1), Box("chkSystem_0"), Box("chkHidden_0")})
        EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
    EXPECT_TRUE(dialog->txtSearch(2)->isEnabled());
    // One side at most is created automatically.
    Box("chkAutoCreate_0")->click();
    Box("chkAutoCreate_1")->click();
    EXPECT_EQ(dialog->Pair().AutoCreate, (std::array<bool, 2>{false, true}));

    dialog->cmdExit_Click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(pairs[1].Dir[0].isEmpty());
    EXPECT_TRUE(pairs[1].SubDirs);
    EXPECT_EQ(pairs[1].Mask[MaskDeleteFiles], QString());
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
    pairs << Pair(QString(), "b");
    pairs[0].Dir[0] = QStringLiteral("CARD/Old");
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
    tree.Folder(QStringLiteral("other"));
    tree.File(QStringLiteral("left/sub/a.txt"), "a");
    tree.File(QStringLiteral("elsewhere/b.log"), "b");
    pairs << Pair("left", "right");
    pairs[0].Mask[MaskExcludeFiles] = QStringLiteral("*.bak");
    Open(0);
    auto urls = [this](const QStringList& paths) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> list;
        for (const QString& p : paths) list << QUrl::fromLocalFile(P(p));
        data->setUrls(list);
        return data;
    };
    EXPECT_FALSE(dialog->DropOnFolder(1, urls({"other", "left"}).get()));
    EXPECT_FALSE(dialog->DropOnFolder(1, urls({"left/sub/a.txt"}).get()));
    EXPECT_EQ(dialog->txtPath(1)->text(), P("right"));
    EXPECT_TRUE(dialog->DropOnFolder(1, urls({"other"}).get()));
    EXPECT_EQ(dialog->txtPath(1)->text(), P("other"));
    QMimeData text;
    text.setText(P("left/sub") + "\n");
    EXPECT_TRUE(dialog->DropOnFolder(1, &text));
    EXPECT_EQ(dialog->txtPath(1)->text(), P("left/sub"));

    // Files onto the exclude-files box: below folder 1 by their path there, else by name.
    dialog->txtPath(1)->setText(P("right"));
    EXPECT_TRUE(dialog->DropOnMask(3, urls({"left/sub/a.txt", "elsewhere/b.log"}).get()));
    EXPECT_EQ(dialog->txtSearch(3)->text(), QStringLiteral("*.bak;sub/a.txt;b.log"));
    // A folder onto a files box, or a file onto a subfolder box, is refused.
    EXPECT_FALSE(dialog->DropOnMask(2, urls({"left/sub"}).get()));
    EXPECT_FALSE(dialog->DropOnMask(1, urls({"left/sub/a.txt", "left/sub"}).get()));
    EXPECT_TRUE(dialog->DropOnMask(1, urls({"left/sub"}).get()));
    EXPECT_EQ(dialog->txtSearch(1)->text(), QStringLiteral("sub"));
}

}  // namespace
