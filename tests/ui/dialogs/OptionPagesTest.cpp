// The compare options both the profile dialog and the default settings offer, tested over both.
#include "DialogTesting.h"

#include "config/TimeText.h"
#include "ui/dialogs/dlgProfile.h"
#include "ui/dialogs/dlgSettings.h"

#include <QCheckBox>
#include <QLineEdit>

#include <functional>
#include <memory>

namespace {

struct OptionsForm {
    const char* name;
    std::function<std::unique_ptr<QDialog>()> open;
    std::function<void(QDialog*)> store;
    std::function<const ProfileOptions&()> stored;
};

TEST_F(DialogFixture, BothOptionPagesLockTheArchiveBoxesAndRefuseAnImpossibleTimeLag) {
    LoadProgramSettings();
    CurrentProfileState state;
    const OptionsForm forms[] = {
        {"profile", [&] { return std::unique_ptr<QDialog>(new dlgProfile(state)); },
         [](QDialog* d) { static_cast<dlgProfile*>(d)->cmdOK_Click(); }, [&]() -> const ProfileOptions& { return state.profile.Options; }},
        {"settings", [] { return std::unique_ptr<QDialog>(new dlgSettings); },
         [](QDialog* d) { static_cast<dlgSettings*>(d)->cmdApply_Click(); },
         []() -> const ProfileOptions& { return Settings().DefaultProfileOptions; }},
    };
    for (const OptionsForm& form : forms) {
        std::unique_ptr<QDialog> dialog = form.open();
        dialog->show();
        auto box = [&dialog](const char* name) { return dialog->findChild<QCheckBox*>(QString::fromLatin1(name)); };
        // The medium boxes exclude each other; a medium ticks the archive check and the reset
        // boxes count as off.
        box("chkResetArchiveAttr_1")->click();
        box("chkSynchMedium_1")->click();
        box("chkSynchMedium_0")->click();
        EXPECT_FALSE(box("chkSynchMedium_1")->isChecked()) << form.name;
        form.store(dialog.get());
        EXPECT_EQ(form.stored().SynchMedium, (std::array<bool, 2>{true, false})) << form.name;
        EXPECT_EQ(form.stored().CheckArchiveAttr, 32) << form.name;
        EXPECT_FALSE(form.stored().ResetArchiveAttrSource || form.stored().ResetArchiveAttrDest) << form.name;

        dialog = form.open();
        dialog->show();
        auto* lag = dialog->findChild<QLineEdit*>(QStringLiteral("txtTimeLag"));
        const double before = form.stored().TimeLag;
        for (const char* bad : {"25:00:00", "1.5"}) {
            host.asked.clear();
            lag->setText(QString::fromLatin1(bad));
            emit lag->textEdited(lag->text());
            form.store(dialog.get());
            EXPECT_EQ(host.Texts(), QStringList{FormatMsg(10800)}) << form.name << " " << bad;
            EXPECT_DOUBLE_EQ(form.stored().TimeLag, before) << form.name << " " << bad;
            EXPECT_TRUE(dialog->isVisible()) << form.name;
        }
        lag->setText(QStringLiteral("0:01:05"));
        emit lag->textEdited(lag->text());
        form.store(dialog.get());
        EXPECT_NEAR(form.stored().TimeLag, 65.0 / 86400, 1e-9) << form.name;

        dialog = form.open();
        box("chkCompOption_1")->click();
        EXPECT_FALSE(dialog->findChild<QLineEdit*>(QStringLiteral("txtTimeLag"))->isEnabled()) << form.name;
        form.store(dialog.get());
        EXPECT_DOUBLE_EQ(form.stored().TimeLag, MaxDateValue) << form.name;
        EXPECT_FALSE(form.stored().CompareDate) << form.name;
    }
}

}  // namespace
