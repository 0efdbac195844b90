#pragma once
// The profile settings: the two list names, the synchronisation medium, the compare options
// with the allowed time lag, the archive switches, and user names and passwords of both sides.
// It changes the profile in memory only, and only on OK; saving is the profile's own command.

#include "config/Profile.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;

namespace Ui {
class dlgProfile;
}

class dlgProfile : public QDialog {
    Q_OBJECT
public:
    explicit dlgProfile(CurrentProfileState& profile, QWidget* owner = nullptr);
    ~dlgProfile() override;

    // Shows the dialog over owner and returns when it closed; the signals below reach the
    // caller's slots during OK.
    static void ShowModal(QWidget* owner, CurrentProfileState& profile,
                          const std::function<void()>& compareOptionsChanged,
                          const std::function<void()>& listNamesChanged);

    void cmdOK_Click();
    void cmdCancel_Click();
    // Checks the time lag box as leaving it does: false (message shown, focus kept) when it
    // holds no time of less than one day; a valid text is rewritten in the form HH:MM:SS.
    bool ValidateTimeLag();

    QCheckBox* chkSynchMedium(int side) const;
    QCheckBox* chkCompOption(int index) const;
    QCheckBox* chkResetArchiveAttr(int index) const;
    QLineEdit* txtTimeLag() const;
    QLineEdit* txtListName(int side) const;
    QLineEdit* txtUsername(int side) const;
    QLineEdit* txtPassword(int side) const;
    QWidget* cmdOK() const;

signals:
    // OK with changed compare options: the file comparison view is out of date.
    void CompareOptionsChanged();
    // OK with changed list names: the file comparison view shows them.
    void ListNamesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();
    void ConnectControls();
    void MediumClicked(int side);
    void ShowMediumRule();
    void CompareDateChanged();
    void Changed();

    std::unique_ptr<Ui::dlgProfile> ui;
    CurrentProfileState& profile_;
    bool compareOptionsChanged_ = false;
    bool listNamesChanged_ = false;
    bool filling_ = false;
};
