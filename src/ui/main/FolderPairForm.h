#pragma once
// A minimal editor of one folder pair: the two folders with browse buttons, the five switches
// and the five masks. It stands in for the full folder pair editor until that one exists, and
// edits the pair it is given only when confirmed.

#include "config/Profile.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;

class FolderPairForm : public QDialog {
    Q_OBJECT
public:
    explicit FolderPairForm(QWidget* owner = nullptr);

    void SetPair(const FolderPair& pair);
    // The pair as the fields show it now.
    FolderPair Pair() const;

    // Shows the form modally on pair; true (and pair changed) when the user confirmed.
    // A test replaces the whole exchange through EditHook.
    static bool EditPair(QWidget* owner, FolderPair& pair);
    static std::function<bool(FolderPair&)>& EditHook();

    QLineEdit* FolderField(int side) const { return txtPath_[static_cast<size_t>(side)]; }

private:
    void Browse(int side);
    void accept() override;

    FolderPair original_;
    std::array<QLineEdit*, 2> txtPath_{};
    std::array<QLineEdit*, 5> txtMask_{};
    QCheckBox* chkSubDirs_ = nullptr;
    std::array<QCheckBox*, 2> chkSystem_{};
    std::array<QCheckBox*, 2> chkHidden_{};
    std::array<QCheckBox*, 2> chkAutoCreate_{};
};
