// The folder pair editor on real folders: the checks of OK with their order, styles and answers.
#include "DialogTesting.h"

#include "engine/CompareRun.h"
#include "platform/FileListing.h"
#include "ui/dialogs/dlgDirs.h"


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
    QString P(const QString& relative) { return tree.Path(relative); }
};

// OK checks the pair against itself and every other pair in order: each Yes goes on, the first No
// stops with nothing stored and the dialog open; empty folders stop at once.
TEST_F(DirsFixture, OkAsksAboutNestedAndSharedFoldersInOrder) {
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
    };
    for (const auto& c : cases) {
        pairs = c.pairs;
        dialog = std::make_unique<dlgDirs>();
        dialog->Init(pairs, c.index);
        dialog->show();
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

}  // namespace
