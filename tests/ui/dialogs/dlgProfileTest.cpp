// The profile settings dialog: the medium and reset-box rules, the time lag check, what OK
// stores and signals, and the profile's changed flag; through the main window's options menu,
// closing the window after a change with each answer.
#include "DialogTesting.h"

#include "../main/MainWindowTesting.h"
#include "config/ProfileFile.h"
#include "config/TimeText.h"
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

TEST_F(ProfileFixture, MediumBoxesExcludeEachOtherAndGreyTheResetBoxes) {
    state.profile.Options.SynchMedium = {false, true};
    state.profile.Options.ResetArchiveAttrSource = true;
    Open();
    EXPECT_EQ(dialog->chkResetArchiveAttr(0)->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(dialog->chkResetArchiveAttr(1)->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(dialog->chkResetArchiveAttr(0)->isEnabled());
    EXPECT_TRUE(dialog->chkCompOption(0)->isChecked());
    EXPECT_FALSE(dialog->chkCompOption(0)->isEnabled());
    EXPECT_FALSE(dialog->cmdOK()->isEnabled());

    dialog->chkSynchMedium(0)->click();
    EXPECT_FALSE(dialog->chkSynchMedium(1)->isChecked());
    EXPECT_TRUE(dialog->cmdOK()->isEnabled());
    dialog->cmdOK_Click();
    EXPECT_EQ(state.profile.Options.SynchMedium, (std::array<bool, 2>{true, false}));
    EXPECT_EQ(state.profile.Options.CheckArchiveAttr, 32);
    EXPECT_FALSE(state.profile.Options.ResetArchiveAttrSource);
    EXPECT_FALSE(state.profile.Options.ResetArchiveAttrDest);

    // Clearing the medium frees the boxes, cleared, and they tick normally again.
    Open();
    dialog->chkSynchMedium(0)->click();
    EXPECT_TRUE(dialog->chkResetArchiveAttr(1)->isEnabled());
    EXPECT_EQ(dialog->chkResetArchiveAttr(1)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(dialog->chkCompOption(0)->isEnabled());
    dialog->chkResetArchiveAttr(1)->click();
    dialog->chkResetArchiveAttr(1)->click();
    dialog->chkResetArchiveAttr(1)->click();
    EXPECT_EQ(dialog->chkResetArchiveAttr(1)->checkState(), Qt::Checked);
    dialog->cmdOK_Click();
    EXPECT_EQ(state.profile.Options.SynchMedium, (std::array<bool, 2>{false, false}));
    EXPECT_TRUE(state.profile.Options.ResetArchiveAttrDest);
    EXPECT_EQ(compareSignals, 0);
}

TEST_F(ProfileFixture, TheTimeLagMustBeATimeOfLessThanOneDay) {
    state.profile.Options.TimeLag = 2.0 / 86400;
    Open();
    EXPECT_EQ(dialog->txtTimeLag()->text(), QStringLiteral("00:00:02"));
    for (const QString& bad : {QStringLiteral("25:00:00"), QStringLiteral("abc"), QString(), QStringLiteral("1.5")}) {
        host.asked.clear();
        Type(dialog->txtTimeLag(), bad);
        EXPECT_FALSE(dialog->ValidateTimeLag()) << qPrintable(bad);
        EXPECT_EQ(host.Texts(), QStringList{FormatMsg(10800)});
        // OK refuses it too and stores nothing.
        dialog->cmdOK_Click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_DOUBLE_EQ(state.profile.Options.TimeLag, 2.0 / 86400);
    }
    Type(dialog->txtTimeLag(), QStringLiteral("0:01:05"));
    EXPECT_TRUE(dialog->ValidateTimeLag());
    EXPECT_EQ(dialog->txtTimeLag()->text(), QStringLiteral("00:01:05"));
    dialog->cmdOK_Click();
    EXPECT_NEAR(state.profile.Options.TimeLag, 65.0 / 86400, 1e-9);
    EXPECT_EQ(compareSignals, 1);

    // Compare-date off stores the largest date; reopened, the box shows 00:00:00, disabled.
    Open();
    dialog->chkCompOption(1)->click();
    EXPECT_FALSE(dialog->txtTimeLag()->isEnabled());
    dialog->cmdOK_Click();
    EXPECT_DOUBLE_EQ(state.profile.Options.TimeLag, MaxDateValue);
    EXPECT_FALSE(state.profile.Options.CompareDate);
    Open();
    EXPECT_EQ(dialog->txtTimeLag()->text(), QStringLiteral("00:00:00"));
    EXPECT_FALSE(dialog->txtTimeLag()->isEnabled());
    EXPECT_FALSE(dialog->chkCompOption(1)->isChecked());
}

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
    dialog->cmdOK_Click();
    EXPECT_EQ(listSignals, 1);
    EXPECT_EQ(state.profile.Options.ListName[0], QStringLiteral("Laptop"));
    EXPECT_TRUE(state.ProfileChanged);

    // Cancel after edits changes nothing.
    state.ProfileChanged = false;
    Open();
    Type(dialog->txtListName(0), QStringLiteral("Other"));
    dialog->chkCompOption(2)->click();
    dialog->cmdCancel_Click();
    EXPECT_EQ(state.profile.Options.ListName[0], QStringLiteral("Laptop"));
    EXPECT_TRUE(state.profile.Options.CompareSize);
    EXPECT_FALSE(state.ProfileChanged);
}

// The options menu opens the dialog over the main window; a changed compare option greys the
// list, and closing the window then asks with Yes, No and Cancel.
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

TEST_F(ProfileMenuFixture, ClosingAfterAChangeAsksAndEachAnswerDoesWhatItSays) {
    const QByteArray saved = tree.Read(QStringLiteral("p.tdp"));
    ChangeCompareSize();
    EXPECT_TRUE(window->Files().IsStale());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);

    host.queuedAnswers = {MsgBox::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(tree.Read(QStringLiteral("p.tdp")), saved);

    host.queuedAnswers = {MsgBox::No};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(tree.Read(QStringLiteral("p.tdp")), saved);

    // Yes saves before closing (the save dialog answers with the profile's own path).
    window->show();
    CurrentProfile().ProfileChanged = true;
    window->Commands().saveDialog = [this](const QString&, const QString&, const QString&) { return tree.Path(QStringLiteral("p.tdp")); };
    host.queuedAnswers = {MsgBox::Yes};
    EXPECT_TRUE(window->close());
    Profile read;
    ASSERT_TRUE(ReadProfileFile(tree.Path(QStringLiteral("p.tdp")), ProfileOptions{}, read));
    EXPECT_FALSE(read.Options.CompareSize);
}

}  // namespace
