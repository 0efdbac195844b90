#pragma once
// Text lookup in the active language file: the tables of clsLocalizeControls and FormatMsg.
// The forms side (LocalizeControls over a window, ScaleForm) lives in i18n/forms.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <initializer_list>

// The text table of one language file: every key's text and tooltip, looked up by key number
// or name. Despite the name it localises no control itself; LocalizeControls (i18n/forms) reads
// this table to set the captions of a window. The name is kept because the windows, the
// start-up and the tests all know the table by it.
class clsLocalizeControls {
public:
    // Reads ProgramFolder()/LanguageName.lang when languageName is not empty.
    explicit clsLocalizeControls(const QString& languageName);

    QString FormatMsg(const QString& key, const QStringList& args = {}) const;
    QString FormatToolTip(const QString& key, const QStringList& args = {}) const;
    // Raw table entries as control localisation uses them (":" references followed once).
    QString ControlText(const QString& key) const;
    QString ControlToolTip(const QString& key) const;
    // The text table entry as the file holds it (no reference followed); empty when missing.
    QString Text(const QString& key) const;
    bool HasText(const QString& key) const;
    bool HasToolTip(const QString& key) const;
    const QString& LanguageName() const { return languageName_; }
    const QString& FilePath() const { return filePath_; }

    // How the duplicate-key message reaches the user ("Item k exists twice in language file!",
    // title the file's path). The windows install a message box; the default writes to stderr.
    using DuplicateSink = std::function<void(const QString& text, const QString& title)>;
    static void SetDuplicateSink(DuplicateSink sink);

private:
    QString languageName_;
    QString filePath_;
    QHash<QString, QString> texts_;     // keys stored upper-cased
    QHash<QString, QString> toolTips_;
};

// The shared instance, created on first use from Settings().LanguageName.
clsLocalizeControls& Localizer();
// Discards the shared instance; the next use reads the language file of the current setting.
void ReloadLocalizer();

// Convenience: FormatMsg of the shared instance with any arguments in their text form.
QString FormatMsg(const QString& key, const QStringList& args = {});
QString FormatMsg(int key, const QStringList& args = {});
QString FormatToolTip(const QString& key, const QStringList& args = {});
