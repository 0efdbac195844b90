#pragma once
// The shortcut window: writes a desktop entry that starts the program with the current profile
// and the chosen switches, optionally as another user through the run-as tool (offered only
// where it is installed). The first shortcut also gives the program its own menu entry.

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class dlgMakeLink;
}

class dlgMakeLink : public QDialog {
    Q_OBJECT
public:
    // Opens the window modally; the owner is disabled while it is open.
    static void ShowModal(QWidget* owner);

    explicit dlgMakeLink(QWidget* owner = nullptr);
    ~dlgMakeLink() override;

    // How messages reach the user; tests answer them.
    static std::function<uint32_t(const QString& text, uint32_t buttons, QWidget* parent)>& MessageHandler();
    // The folder browser: returns the chosen folder, empty when cancelled.
    static std::function<QString(const QString& title, const QString& start, QWidget* parent)>& FolderBrowser();

    QString ShortcutFolder() const { return shortcutFolder_; }
    void cmdGetDir_Click();
    void chkRunAs_Click();
    // Creates the shortcut; false (and the window stays open) when it could not be written.
    bool cmdOK_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowFolder();

    std::unique_ptr<Ui::dlgMakeLink> ui;
    QString shortcutFolder_;
    QString runAsTool_;
};
