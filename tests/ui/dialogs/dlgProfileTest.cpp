// The profile settings dialog: what OK stores and signals and the profile's changed flag;
// through the main window's options menu, a change that greys the list.
// The options it shares with the default settings are tested over both in OptionPagesTest.
#include "DialogTesting.h"

#include "../main/MainWindowTesting.h"
#include "engine/ProfileLoading.h"
#include "ui/dialogs/dlgProfile.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

namespace {

struct ProfileFixture : DialogFixture {
    CurrentProfileState state;
    std::unique_ptr<dlgProfile> dialog;
    int compareSignals = 0;
    int listSignals = 0;

    void Open() {
        dialog = std::make_unique<dlgProfile>(state);
        QObject::connect(dialog.get(), &dlgProfile::CompareOptionsChanged, [this] { ++compareSignals; });
        QObject::connect(dialog.get(), &dlgProfile::ListNamesChanged, [this] { ++listSignals; });
        dialog->show();
    }
    void Type(QLineEdit* box, const QString& text) {
        box->setText(text);
        emit box->textEdited(text);
    }
};

TEST_F(ProfileFixture, OkStoresTypedTextsAndSetsTheChangedFlagByItsRule) {
    const QString password = QString::fromUtf8("пароль€ä🔑");
    Open();
    EXPECT_EQ(dialog->txtPassword(0)->echoMode(), QLineEdit::Password);
    Type(dialog->txtUsername(1), QStringLiteral("anna"));
    Type(dialog->txtPassword(1), password);
    dialog->cmdOK_Click();
    EXPECT_EQ(state.profile.Options.Username[1], QStringLiteral("anna"));
    EXPECT_EQ(state.profile.Options.Password[1], password);
    EXPECT_EQ(compareSignals, 0);  // a user name does not grey the comparison
    EXPECT_EQ(listSignals, 0);
    EXPECT_FALSE(state.ProfileChanged);  // no pairs: the flag stays as it was

    FolderPair pair;
    pair.Dir = {tree.Path(QStringLiteral("a")), tree.Path(QStringLiteral("b"))};
    state.profile.Pairs << pair;
    Open();
    Type(dialog->txtListName(0), QStringLiteral("Laptop"));
    dialog->chkCompOption(2)->click();
    dialog->cmdOK_Click();
    EXPECT_EQ(listSignals, 1);
    EXPECT_EQ(compareSignals, 1);  // the file list is out of date
    EXPECT_FALSE(state.profile.Options.CompareSize);
    EXPECT_EQ(state.profile.Options.ListName[0], QStringLiteral("Laptop"));
    EXPECT_TRUE(state.ProfileChanged);

    // Cancel after edits changes nothing.
    state.ProfileChanged = false;
    Open();
    Type(dialog->txtListName(0), QStringLiteral("Other"));
    dialog->chkCompOption(2)->click();
    dialog->cmdCancel_Click();
    EXPECT_EQ(state.profile.Options.ListName[0], QStringLiteral("Laptop"));
    EXPECT_FALSE(state.profile.Options.CompareSize);
    EXPECT_FALSE(state.ProfileChanged);
}

// The menu entry opens the dialog over the main window; a changed comparison option greys the
// list and marks the profile changed (saving it on closing is the main window's own test).
TEST_F(DialogFixture, AProfileOptionChangedFromTheMenuGreysTheListAndMarksTheProfileChanged) {
    tree.Folder(QStringLiteral("left"));
    tree.Folder(QStringLiteral("right"));
    std::unique_ptr<frmMain> window = MakePreparedMainWindow(900, 640, true);
    CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
    ASSERT_TRUE(LoadProfile(*window));
    QAction* entry = window->Commands().OptionsMenu()->findChild<QAction*>(QStringLiteral("mnuPop4_ProfileOptions"));
    ASSERT_TRUE(entry && entry->isEnabled());
    bool seen = false;
    QTimer::singleShot(0, [&seen] {
        auto* open = qobject_cast<dlgProfile*>(QApplication::activeModalWidget());
        if (!open) return;
        seen = true;
        open->chkCompOption(2)->click();  // compare size off
        open->cmdOK_Click();
    });
    entry->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(window->Files().IsStale());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_FALSE(CurrentProfile().profile.Options.CompareSize);
    CurrentProfile().ProfileChanged = false;
}

}  // namespace
