#include "ui/main/StandardDialogLanguage.h"

#include "i18n/TextLookup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace {
std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

QString& Applied() {
    static QString code = QStringLiteral("en");
    return code;
}
}  // namespace

void ApplyLanguageToStandardDialogs() {
    QString code = FormatMsg(1246).trimmed();
    if (code.isEmpty()) code = QStringLiteral("en");
    if (Installed()) {
        QCoreApplication::removeTranslator(Installed().get());
        Installed().reset();
    }
    const QLocale locale(code);
    Applied() = code;
    if (locale.language() == QLocale::English) return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        Installed() = std::move(translator);
    }
}

QString StandardDialogLanguage() { return Applied(); }
