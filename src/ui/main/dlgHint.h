#pragma once
// The "Important Hint" window shown at start-up until the user ticks its check box. The
// check box writes DontShowHint to the settings file the moment it changes.

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class dlgHint;
}

class dlgHint : public QDialog {
    Q_OBJECT
public:
    // Shows the window modally; the window is released when it closes.
    static void ShowModal(QWidget* owner = nullptr);

    explicit dlgHint(QWidget* owner = nullptr);
    ~dlgHint() override;

    QString InfoText() const;
    QString VersionText() const;

    void chkAgain_Click(bool checked);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::dlgHint> ui;
};
