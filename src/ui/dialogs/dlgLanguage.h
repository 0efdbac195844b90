#pragma once
// The choice of the program's language among the language files beside the program. The
// choice is stored at once and the dialog and the main window take the new texts without a
// restart.

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class dlgLanguage;
}

class dlgLanguage : public QDialog {
    Q_OBJECT
public:
    // Shows the dialog modally; languageChanged runs after a new language took effect (the
    // main window relocalises itself there). True when a language was confirmed.
    static bool ShowModal(QWidget* owner, std::function<void()> onLanguageChanged = {});

    explicit dlgLanguage(QWidget* owner = nullptr);
    ~dlgLanguage() override;

    // The names of the ".lang" files of the program folder, in file-name order.
    static QStringList LanguageNames();
    // The language a first start offers: the locale's where a file has it, else English.
    static QString FirstStartSuggestion();

    void cmdOK_Click();
    // Escape and the window's close button end here; refused while nothing is chosen.
    void reject() override;
    bool Confirmed() const { return confirmed_; }

    std::function<void()> languageChanged;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Closing is refused (with a beep) while the list offers languages and none is chosen.
    bool MayClose();

    std::unique_ptr<Ui::dlgLanguage> ui;
    bool confirmed_ = false;
};
