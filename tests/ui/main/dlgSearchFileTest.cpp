// The tree and search window on a real compare: the tree of either side with and without files,
// the search patterns and the repeated search, the notice of a full tree, and the hand-over of an
// entry to the main window's file list.

#include "MainWindowTesting.h"
#include "support/QtPrinters.h"
#include "app/ProfileCommands.h"
#include "engine/FileView.h"
#include "i18n/TextLookup.h"
#include "ui/main/SearchTreeModel.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/dlgSearchFile.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>

namespace {

// An outline written as its lines joined by "|".
QStringList Lines(const char* joined) { return QString::fromUtf8(joined).split(QLatin1Char('|')); }

struct SearchFileFixture : FileListFixture {
    TempTree tree;
    int beeps = 0;
    QStringList notices;

    void SetUp() override {
        OpenWindow(900, 640);
        dlgSearchFile::BeepHandler() = [this] { ++beeps; };
        dlgSearchFile::NoticeHandler() = [this](const QString& text) { notices << text; };
    }
    void TearDown() override {
        dlgSearchFile::BeepHandler() = [] { QApplication::beep(); };
        dlgSearchFile::NoticeHandler() = nullptr;
        CurrentProfile().ProfileChanged = false;
        FileListFixture::TearDown();
    }
    // Left: a.txt, sub/b.txt, sub/deep/c.txt, sub/deep/deeper/ (empty), zed/e1.txt.
    // Right: a.txt, sub/b.txt, only/r.txt.
    void CompareExample() {
        for (const char* file : {"left/a.txt", "left/sub/b.txt", "left/sub/deep/c.txt", "left/zed/e1.txt", "right/a.txt",
                                 "right/sub/b.txt", "right/only/r.txt"})
            tree.File(QString::fromLatin1(file), "x");
        tree.Folder(QStringLiteral("left/sub/deep/deeper"));
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        ASSERT_TRUE(LoadProfile(*window));
        ASSERT_TRUE(window->LastCompareSucceeded());
    }
    std::unique_ptr<dlgSearchFile> Open(int nodeLimit = SearchTree::DefaultNodeLimit) {
        return std::make_unique<dlgSearchFile>(CurrentFileView().TreeRows(),
                                               std::array<QString, 2>{QStringLiteral("Work"), QStringLiteral("Backup")},
                                               window.get(), nodeLimit);
    }
    // The tree as the view shows it, walked through the model's own indexes: indented lines,
    // the root with the temporary folder's path cut.
    QStringList Outline(const dlgSearchFile& dialog, const QModelIndex& parent = QModelIndex(), int depth = 0) {
        QStringList lines;
        const QAbstractItemModel& model = dialog.Model();
        for (int r = 0; r < model.rowCount(parent); ++r) {
            const QModelIndex i = model.index(r, 0, parent);
            EXPECT_EQ(model.parent(i), parent);
            lines << QString(depth * 2, QLatin1Char(' ')) + i.data().toString().replace(tree.Path(), QStringLiteral("~"));
            lines << Outline(dialog, i, depth + 1);
        }
        return lines;
    }
    template <typename T>
    T* Child(dlgSearchFile& dialog, const char* name) {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }
    QString Selected(dlgSearchFile& dialog) { return dialog.Tree()->currentIndex().data().toString(); }
};

}  // namespace

// Folders only: a file's folder sets no node, and a deeper folder hangs below the last folder of
// the depth above it; each side's tree starts at its root, named with the list's name.
TEST_F(SearchFileFixture, TreeOfEitherSideWithAndWithoutFiles) {
    CompareExample();
    auto dialog = Open();
    const QStringList leftFolders = Lines("~/left|  only|  sub|    deep|      deeper|  zed");
    EXPECT_EQ(Outline(*dialog), leftFolders);
    // Only the root is open; "expand all" opens every folder, an open one with the open icon.
    const QModelIndex deep = dialog->Model().IndexOfNode(4);
    const qint64 closedIcon = deep.data(Qt::DecorationRole).value<QIcon>().cacheKey();
    EXPECT_TRUE(dialog->Tree()->isExpanded(dialog->Model().IndexOfNode(1)));
    EXPECT_FALSE(dialog->Tree()->isExpanded(deep));
    Child<QCheckBox>(*dialog, "chkExpand")->click();
    EXPECT_TRUE(dialog->Tree()->isExpanded(deep));
    EXPECT_NE(deep.data(Qt::DecorationRole).value<QIcon>().cacheKey(), closedIcon);
    EXPECT_TRUE(Child<QRadioButton>(*dialog, "optLeftOrRight_0")->text().contains(QStringLiteral("Work")));
    EXPECT_TRUE(Child<QRadioButton>(*dialog, "optLeftOrRight_1")->text().contains(QStringLiteral("Backup")));

    Child<QCheckBox>(*dialog, "chkFiles")->click();
    const QStringList leftWithFiles =
        Lines("~/left|  a.txt|  only|    r.txt|  sub|    b.txt|    deep|      c.txt|      deeper|  zed|    e1.txt");
    EXPECT_EQ(Outline(*dialog), leftWithFiles);

    // The right side: the right root, its folders where the right list has them.
    Child<QRadioButton>(*dialog, "optLeftOrRight_1")->click();
    EXPECT_EQ(Outline(*dialog).first(), QStringLiteral("~/right"));
    EXPECT_EQ(Outline(*dialog).size(), leftWithFiles.size());
    Child<QCheckBox>(*dialog, "chkFiles")->click();
    QStringList rightFolders = leftFolders;
    rightFolders[0] = QStringLiteral("~/right");
    EXPECT_EQ(Outline(*dialog), rightFolders);
}

TEST_F(SearchFileFixture, TypingSearchesAtOnceAndSearchMovesToTheNextMatchThenBeepsAndStartsOver) {
    CompareExample();
    auto dialog = Open();
    Child<QCheckBox>(*dialog, "chkFiles")->click();
    QLineEdit* text = Child<QLineEdit>(*dialog, "txtSearch");
    QPushButton* search = Child<QPushButton>(*dialog, "cmdSearch");
    EXPECT_FALSE(search->isEnabled());

    // A letter, any one character, letters, in any case; long enough that the temporary folder's
    // own name (for example "/tmp/nob/t...") cannot match it.
    text->setText(QStringLiteral("B?TX"));
    EXPECT_TRUE(search->isEnabled());
    EXPECT_EQ(Selected(*dialog), QStringLiteral("b.txt"));
    EXPECT_EQ(dialog->SearchPosition(), 6);
    EXPECT_TRUE(dialog->Tree()->isExpanded(dialog->Model().IndexOfNode(5)));  // brought into view

    text->setText(QStringLiteral(".txt"));  // "." is itself, not any character
    EXPECT_EQ(Selected(*dialog), QStringLiteral("a.txt"));
    for (const QString& next : Lines("r.txt|b.txt|c.txt|e1.txt")) {
        search->click();
        EXPECT_EQ(Selected(*dialog), next);
    }
    EXPECT_EQ(beeps, 0);
    search->click();  // past the last match
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(dialog->SearchPosition(), 0);
    search->click();
    EXPECT_EQ(Selected(*dialog), QStringLiteral("a.txt"));

    // Enter in the box searches on; leaving the box starts the next search from the top.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(text, &enter);
    EXPECT_EQ(Selected(*dialog), QStringLiteral("r.txt"));
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(text, &out);
    EXPECT_EQ(dialog->SearchPosition(), 0);

    text->setText(QStringLiteral("nothing-like-it"));
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(Selected(*dialog), QString());  // the last match no longer looks like one
    EXPECT_EQ(dialog->SearchPosition(), 0);
    text->clear();
    EXPECT_FALSE(search->isEnabled());
    EXPECT_EQ(beeps, 2);
}

// "?" one character, "#" one digit, "*" any run, "[...]" and "[!...]" sets; everything else is
// itself, in any letter case.
TEST_F(SearchFileFixture, PatternRules) {
    const struct {
        const char *text, *name;
        bool matches;
    } cases[] = {
        {"b?t", "AB.TXT", true},   {"b?t", "abt", false},     {"e#", "e1.txt", true},    {"e#", "ex.txt", false},
        {"[cd].t", "c.txt", true}, {"[cd].t", "b.txt", false}, {"[a-c]1", "B1", true},    {"[!a-c]1", "b1", false},
        {"[!a-c]1", "x1", true},   {"s*p", "sub-deep", true},  {"s*p", "pus", false},     {"a+b", "a+b", true},
        {"a+b", "aab", false},     {"(x)", "(X)", true},       {"[x", "a[x", true},       {"\\", "a\\b", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SearchPattern(QString::fromLatin1(c.text)).match(QString::fromLatin1(c.name)).hasMatch(), c.matches)
            << c.text << " against " << c.name;
}

TEST_F(SearchFileFixture, AFullTreeShowsTheNoticeAndKeepsTheNodesAddedSoFar) {
    CompareExample();
    auto dialog = Open(3);
    EXPECT_EQ(notices, QStringList{FormatMsg(QStringLiteral("65100"))});
    EXPECT_EQ(Outline(*dialog), Lines("~/left|  only|  sub"));
    auto roomy = Open();
    EXPECT_EQ(notices.size(), 1);
}

TEST_F(SearchFileFixture, AClickedEntryBringsItsRowIntoTheFileListAndSelectsIt) {
    for (int i = 0; i < 150; ++i) tree.File(QStringLiteral("left/many/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), "x");
    CompareExample();
    FileView& files = CurrentFileView();
    ASSERT_GT(files.LastIndex(), window->Files().PageSize() * 2);
    auto dialog = Open();
    QObject::connect(dialog.get(), &dlgSearchFile::EntryChosen, &window->Files(), &MainFileList::ShowRow);
    dialog->show();
    Child<QCheckBox>(*dialog, "chkFiles")->click();

    for (const QString& name : {QStringLiteral("f100.txt"), QStringLiteral("c.txt"), QStringLiteral("e1.txt")}) {
        Child<QLineEdit>(*dialog, "txtSearch")->setText(name);
        const QModelIndex node = dialog->Tree()->currentIndex();
        ASSERT_EQ(node.data().toString(), name);
        QTreeView* view = dialog->Tree();
        view->scrollTo(node);
        MouseClick(view->viewport(), view->visualRect(node).center());

        const int index = window->Files().Cursor();
        ASSERT_GE(index, 1);
        EXPECT_EQ(files.ViewList[static_cast<size_t>(index)].Name[0], name);
        const int row = index - window->Files().Scroll()->Value() + 1;
        ASSERT_GE(row, 1);
        ASSERT_LE(row, window->Files().PageSize());
        EXPECT_EQ(grid->Row(), row);
        EXPECT_EQ(grid->TextMatrix(row, 1), name);
        EXPECT_TRUE(grid->selectionModel()->isRowSelected(grid->currentIndex().row(), grid->currentIndex().parent()));
    }
    // The last page ends with the list: e1.txt, the last row, sits at the page's bottom.
    EXPECT_EQ(window->Files().Scroll()->Value(), files.LastIndex() - window->Files().PageSize() + 1);
}

TEST_F(SearchFileFixture, TheTreeButtonOpensTheWindowAfterACompare) {
    auto* button = window->findChild<QPushButton*>(QStringLiteral("cmdTreeAndSearch"));
    EXPECT_FALSE(button->isEnabled());
    CompareExample();
    ASSERT_TRUE(button->isEnabled());
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (auto* d = qobject_cast<dlgSearchFile*>(QApplication::activeModalWidget())) {
            opened = d->Model().Tree().NodeCount() > 0;
            d->reject();
        }
    });
    button->click();
    EXPECT_TRUE(opened);
}
