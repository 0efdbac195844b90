#pragma once
// Qt's own texts (the standard buttons Yes, No, Cancel, OK, the file and folder dialogs, the
// context menus of text boxes) in the program's language rather than the system's: the
// language file names its code (message 1246, "en", "de" ...), and Qt's translation for that
// code replaces whatever was installed before.

#include <QString>

// Installs Qt's translation for the active language; English, or a code without a translation,
// leaves Qt's own English texts. Numbers and dates keep the user's own formats.
void ApplyLanguageToStandardDialogs();

// The code applied last ("en" before any).
QString StandardDialogLanguage();
