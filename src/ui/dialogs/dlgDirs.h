#pragma once
// The folder pair editor: one folder pair of the current profile with its two folders, the
// five masks, the include switches and the per-side switches. It works on a copy of the pair
// and stores it back into the profile's list only when OK passes its checks.

#include "config/Profile.h"

#include <QDialog>
#include <QList>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QMimeData;

namespace Ui {
class dlgDirs;
}

class dlgDirs : public QDialog {
    Q_OBJECT
public:
    explicit dlgDirs(QWidget* owner = nullptr);
    ~dlgDirs() override;

    // Opens the editor on entry index of pairs, owned by owner, and returns when it closed.
    // True when OK stored the pair (pairs[index] replaced); pairs is untouched otherwise.
    static bool ShowModal(QWidget* owner, QList<FolderPair>& pairs, int index);

    // Fills the dialog from entry index of pairs, which must outlive the dialog. A new pair
    // (folder 1 empty, not the first entry) starts with the folders of the entry before it.
    void Init(QList<FolderPair>& pairs, int index);
    // The dialog's copy of the pair as edited so far.
    const FolderPair& Pair() const { return pair_; }

    void cmdOK_Click();
    void cmdExit_Click();
    void cmdGetDir_Click(int side);
    // A drop onto folder box side or mask box; false when refused (nothing changes then).
    bool DropOnFolder(int side, const QMimeData* dropped);
    bool DropOnMask(int box, const QMimeData* dropped);

    QLineEdit* txtPath(int side) const;
    QLineEdit* txtSearch(int box) const;

    // The system's folder dialog (title, start folder -> chosen folder or empty); tests replace it.
    static std::function<QString(QWidget* owner, const QString& title, const QString& start)>& FolderBrowser();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ConnectControls();
    void ShowPair();
    void SubDirsChanged();

    std::unique_ptr<Ui::dlgDirs> ui;
    std::array<QLineEdit*, 2> txtPath_{};
    std::array<QLineEdit*, 5> txtSearch_{};
    std::array<QCheckBox*, 2> chkAutoCreate_{};
    std::array<QCheckBox*, 2> chkLabel_{};
    std::array<QCheckBox*, 2> chkSystem_{};
    std::array<QCheckBox*, 2> chkHidden_{};
    QList<FolderPair>* pairs_ = nullptr;
    int index_ = 0;
    FolderPair pair_;
};
