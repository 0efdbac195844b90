// The tree and search window on a real compare: the tree of either side and the repeated search.

#include "MainWindowTesting.h"
#include "app/ProfileCommands.h"
#include "ui/main/SearchTreeModel.h"
#include "ui/main/dlgSearchFile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace {

// An outline written as its lines joined by "|".
QStringList Lines(const char* joined) { return QString::fromUtf8(joined).split(QLatin1Char('|')); }

struct SearchFileFixture : MainWindowFixture {
    int beeps = 0;

    void SetUp() override {
        MainWindowFixture::SetUp();
        OpenWindow(900, 640);
        dlgSearchFile::BeepHandler() = [this] { ++beeps; };
    }
    void TearDown() override {
        dlgSearchFile::BeepHandler() = [] { QApplication::beep(); };
        MainWindowFixture::TearDown();
    }
    // Left: a.txt, sub/b.txt, sub/deep/c.txt, sub/deep/deeper/, zed/e1.txt; right: a.txt, sub/b.txt, only/r.txt.
    void CompareExample() {
        for (const char* file : {"left/a.txt", "left/sub/b.txt", "left/sub/deep/c.txt", "left/zed/e1.txt", "right/a.txt",
                                 "right/sub/b.txt", "right/only/r.txt"})
            tree.File(QString::fromLatin1(file), "x");
        tree.Folder(QStringLiteral("left/sub/deep/deeper"));
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        ASSERT_TRUE(LoadProfile(*window));
        ASSERT_TRUE(window->LastCompareSucceeded());
    }
    std::unique_ptr<dlgSearchFile> Open() {
        return std::make_unique<dlgSearchFile>(CurrentFileView().TreeRows(),
                                               std::array<QString, 2>{QStringLiteral("Work"), QStringLiteral("Backup")},
                                               window.get());
    }
    // The tree as the view shows it, walked through the model's own indexes: indented lines,
    // the root with the temporary folder's path cut.
    QStringList Outline(const dlgSearchFile& dialog, const QModelIndex& parent = QModelIndex(), int depth = 0) {
        QStringList lines;
        const QAbstractItemModel& model = dialog.Model();
        for (int r = 0; r < model.rowCount(parent); ++r) {
            const QModelIndex i = model.index(r, 0, parent);
            lines << QString(depth * 2, QLatin1Char(' ')) + i.data().toString().replace(tree.Path(), QStringLiteral("~"));
            lines << Outline(dialog, i, depth + 1);
        }
        return lines;
    }
    template <typename T>
    T* Child(dlgSearchFile& dialog, const char* name) { return dialog.findChild<T*>(QString::fromLatin1(name)); }
    QString Selected(dlgSearchFile& dialog) { return dialog.Tree()->currentIndex().data().toString(); }
};

}  // namespace

// Each side's tree starts at its root, a deeper folder hangs below its parent, and files show
// when asked. A search matches in any letter case with "?" for one character, moves on to the
// next match, beeps past the last and starts over.
TEST_F(SearchFileFixture, TreeOfEitherSideAndASearchThatMovesOnBeepsAndStartsOver) {
    CompareExample();
    auto dialog = Open();
    EXPECT_EQ(Outline(*dialog), Lines("~/left|  only|  sub|    deep|      deeper|  zed"));
    Child<QCheckBox>(*dialog, "chkFiles")->click();
    EXPECT_EQ(Outline(*dialog), Lines("~/left|  a.txt|  only|    r.txt|  sub|    b.txt|    deep|      c.txt|      deeper|  zed|    e1.txt"));
    Child<QRadioButton>(*dialog, "optLeftOrRight_1")->click();
    EXPECT_EQ(Outline(*dialog).mid(0, 3), Lines("~/right|  a.txt|  only"));
    Child<QRadioButton>(*dialog, "optLeftOrRight_0")->click();

    QLineEdit* text = Child<QLineEdit>(*dialog, "txtSearch");
    QPushButton* search = Child<QPushButton>(*dialog, "cmdSearch");
    // Long enough that the temporary folder's own name (say "/tmp/nob/t...") cannot match it.
    text->setText(QStringLiteral("B?TX"));
    EXPECT_EQ(Selected(*dialog), QStringLiteral("b.txt"));
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
    search->click();
    EXPECT_EQ(Selected(*dialog), QStringLiteral("a.txt"));
    text->setText(QStringLiteral("nothing-like-it"));
    EXPECT_EQ(beeps, 2);
}
