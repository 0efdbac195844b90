#pragma once
// The program's own message box: the platform's button sets, result codes, icons and
// default-button rules, plus the "Don't display this information again." check box (bit 31 of
// the buttons word and of the result), free placement, prompt alignment and right-to-left
// reading.

#include <QDialog>
#include <QList>

#include <cstdint>
#include <functional>
#include <memory>

class QPushButton;

namespace Ui {
class dlgMsgBox;
}

class dlgMsgBox : public QDialog {
    Q_OBJECT
public:
    // Placement values of ShowMsg's left and top.
    static constexpr int CenterOnScreen = -2;
    static constexpr int CenterOnOwner = -1;  // on the screen when there is no owner

    // Shows the box modally and returns the code of the button pressed (1 OK, 2 Cancel, 3 Abort,
    // 4 Retry, 5 Ignore, 6 Yes, 7 No), with bit 31 set when the check box was ticked.
    // buttons: bits 0-3 the set (0..5; any other value gives one Cancel button), 16/32/48/64
    // the icon, 256/512 the second/third button as default, 0x100000 right-to-left reading,
    // 0x80000000 the check box. title: empty keeps the design title. alignment of the prompt:
    // 0 left, 1 right, 2 centre. left/top: -2 centre on the screen, -1 centre on the owner,
    // otherwise the position of the window in twips.
    static uint32_t ShowMsg(const QString& prompt, uint32_t buttons, const QString& title = QString(),
                            QWidget* owner = nullptr, int alignment = 0, int left = CenterOnOwner,
                            int top = CenterOnOwner);

    explicit dlgMsgBox(QWidget* owner = nullptr);
    ~dlgMsgBox() override;

    // Builds the box for the given parameters (what ShowMsg does before it shows it). A test
    // may then show() the box without blocking, press its buttons and read Result().
    void Prepare(const QString& prompt, uint32_t buttons, const QString& title = QString(),
                 int alignment = 0, int left = CenterOnOwner, int top = CenterOnOwner);
    uint32_t Result() const { return result_; }

    // The buttons of the set, left to right; each carries its result code in the property
    // "result".
    const QList<QPushButton*>& Buttons() const { return buttons_; }
    // The button that Escape presses; null where Escape does nothing (sets 2 and 4).
    QPushButton* EscapeButton() const { return escapeButton_; }
    // The button that gets the focus when the box opens.
    QPushButton* DefaultButton() const;
    // Sets 2 and 4 cannot be closed without choosing a button.
    bool CanClose() const { return canClose_; }
    int IconStyle() const { return iconStyle_; }

    // The sound of the icon style, played when the box opens. Tests replace it.
    static std::function<void(int iconStyle)>& SoundPlayer();

    void cmdAction_Click(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void Place(int left, int top);

    std::unique_ptr<Ui::dlgMsgBox> ui;
    QList<QPushButton*> buttons_;
    QPushButton* escapeButton_ = nullptr;
    uint32_t buttonsWord_ = 0;
    uint32_t result_ = 0;
    int iconStyle_ = 0;
    bool canClose_ = true;
    bool activated_ = false;
};
