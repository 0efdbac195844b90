// The profile settings dialog: what OK stores and signals and the profile's changed flag;
// through the main window's options menu, a change that greys the list and is saved on closing.
// The options it shares with the default settings are tested over both in OptionPagesTest.
#include "DialogTesting.h"

#include "../main/MainWindowTesting.h"
#include "config/ProfileFile.h"
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

    // The password survives the profile file.
    const QString path = tree.Path(QStringLiteral("p.tdp"));
    ASSERT_TRUE(WriteProfileFile(path, state.profile));
    Profile read;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions{}, read));
    EXPECT_EQ(read.Options.Password[1], password);

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

// The options menu opens the dialog over the main window.
struct ProfileMenuFixture : DialogFixture {
    std::unique_ptr<frmMain> window;
    void SetUp() override {
        DialogFixture::SetUp();
        tree.Folder(QStringLiteral("left"));
        tree.Folder(QStringLiteral("right"));
        window = MakePreparedMainWindow(900, 640, true);
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        ASSERT_TRUE(LoadProfile(*window));
    }
    void TearDown() override {
        CurrentProfile().ProfileChanged = false;
        window.reset();
        DialogFixture::TearDown();
    }
    // Opens the dialog from the menu and unticks "compare size" in it, then OK.
    void ChangeCompareSize() {
        QAction* entry = window->Commands().OptionsMenu()->findChild<QAction*>(QStringLiteral("mnuPop4_ProfileOptions"));
        ASSERT_TRUE(entry);
        ASSERT_TRUE(entry->isEnabled());
        bool seen = false;
        QTimer::singleShot(0, [&seen] {
            auto* open = qobject_cast<dlgProfile*>(QApplication::activeModalWidget());
            if (!open) return;
            seen = true;
            open->chkCompOption(2)->click();
            open->cmdOK_Click();
        });
        entry->trigger();
        EXPECT_TRUE(seen);
    }
};

// Closing after the change asks; Yes saves it (No and Cancel are the main window's own tests).
TEST_F(ProfileMenuFixture, AChangeFromTheMenuGreysTheListAndIsSavedOnClosing) {
    ChangeCompareSize();
    EXPECT_TRUE(window->Files().IsStale());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    window->Commands().saveDialog = [this](const QString&, const QString&, const QString&) { return tree.Path(QStringLiteral("p.tdp")); };
    host.queuedAnswers = {MsgBox::Yes};
    EXPECT_TRUE(window->close());
    Profile read;
    ASSERT_TRUE(ReadProfileFile(tree.Path(QStringLiteral("p.tdp")), ProfileOptions{}, read));
    EXPECT_FALSE(read.Options.CompareSize);
}

}  // namespace
