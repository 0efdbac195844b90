#include "web/module/PageBridge.h"

#include "web/PageProtocol.h"
#include "web/WebLog.h"

#include <QAbstractButton>
#include <QRegularExpression>
#include <QWidget>

bool PageBridge::Allowed() const {
    if (pageAllowed && pageAllowed()) return true;
    qCWarning(lcWeb) << "page command refused: the page is not one of the program's help pages";
    return false;
}

QVariantMap PageBridge::bindElement(const QString& form, const QString& name, const QString& index) {
    QVariantMap state{{QStringLiteral("exists"), false}};
    if (!Allowed()) return state;
    // Named elements that no control answers to are ordinary page elements: no log line.
    QWidget* control = PageProtocol::Instance().Control(form, name, index, true);
    if (!control) return state;
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    state.insert(QStringLiteral("exists"), true);
    state.insert(QStringLiteral("checked"), button && button->isCheckable() && button->isChecked());
    state.insert(QStringLiteral("enabled"), control->isEnabled());
    return state;
}

void PageBridge::dispatchControl(const QString& form, const QString& name, const QString& index,
                                 const QString& command, bool checked, const QString& type) {
    if (!Allowed()) return;
    QWidget* control = PageProtocol::Instance().Control(form, name, index);
    if (!control) return;
    const QString what = command.toLower();
    if (what == QLatin1String("setfocus")) {
        control->setFocus();
        return;
    }
    if (what != QLatin1String("click") || !control->isVisible() || !control->isEnabled()) return;
    auto* button = qobject_cast<QAbstractButton*>(control);
    const QString kind = type.toLower();
    if (kind == QLatin1String("checkbox") || kind == QLatin1String("radio")) {
        // The control's own click handling runs as if the user had ticked it.
        if (button && button->isCheckable() && button->isChecked() != checked) button->click();
        return;
    }
    if (keepInFront) keepInFront(true);
    control->setFocus();
    if (button) button->click();
    if (keepInFront) keepInFront(false);
}

void PageBridge::dispatchCommand(const QString& form, const QString& command) {
    if (!Allowed()) return;
    const QStringList words = command.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.size() > 3) return;
    if (words[0].compare(QLatin1String("go"), Qt::CaseInsensitive) == 0) {
        if (words.size() >= 2 && go) go(words[1]);
        return;
    }
    QVariantList args;
    for (qsizetype i = 1; i < words.size(); ++i) {
        bool numeric = false;
        const int number = words[i].toInt(&numeric);
        args << (numeric ? QVariant(number) : QVariant(words[i]));
    }
    PageProtocol::Instance().Call(form, words[0], args);
}
