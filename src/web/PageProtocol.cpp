#include "web/PageProtocol.h"

#include "web/WebLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QWidget>

PageProtocol& PageProtocol::Instance() {
    static PageProtocol protocol;
    return protocol;
}

void PageProtocol::RegisterControl(const QString& window, const QString& controlName) {
    windows_[window.toLower()].controls.insert(controlName.toLower(), controlName);
}

void PageProtocol::RegisterMethod(const QString& window, const QString& method, Method call) {
    windows_[window.toLower()].methods.insert(method.toLower(), std::move(call));
}

void PageProtocol::RegisterButton(const QString& window, const QString& buttonName) {
    RegisterControl(window, buttonName);
    RegisterMethod(window, buttonName + QStringLiteral("_Click"), [this, window, buttonName](const QVariantList&) {
        auto* button = qobject_cast<QAbstractButton*>(Control(window, buttonName, QString()));
        if (button && button->isVisible() && button->isEnabled()) button->click();
    });
}

void PageProtocol::UnregisterWindow(const QString& window) { windows_.remove(window.toLower()); }
void PageProtocol::Clear() { windows_.clear(); }

QWidget* FindProgramWindow(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName().compare(name, Qt::CaseInsensitive) == 0) return top;
    }
    return nullptr;
}

QWidget* PageProtocol::Control(const QString& window, const QString& name, const QString& index, bool quiet) const {
    const QString key = index.isEmpty() ? name : name + QLatin1Char('_') + index;
    const auto entry = windows_.constFind(window.toLower());
    if (entry == windows_.constEnd() || !entry->controls.contains(key.toLower())) {
        if (!quiet) qCWarning(lcWeb) << "page command refused: control" << key << "of" << window << "is not listed";
        return nullptr;
    }
    QWidget* top = FindProgramWindow(window);
    if (!top) return nullptr;
    const QString objectName = entry->controls.value(key.toLower());
    if (top->objectName() == objectName) return top;
    return top->findChild<QWidget*>(objectName);
}

bool PageProtocol::Call(const QString& window, const QString& method, const QVariantList& args) const {
    const auto entry = windows_.constFind(window.toLower());
    if (entry == windows_.constEnd() || !entry->methods.contains(method.toLower())) {
        qCWarning(lcWeb) << "page command refused: method" << method << "of" << window << "is not listed";
        return false;
    }
    if (!FindProgramWindow(window)) return false;  // a window that is not loaded is left alone
    entry->methods.value(method.toLower())(args);
    return true;
}
