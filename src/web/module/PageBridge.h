#pragma once
// The program's side of the page commands, reached from the binding script of a help page
// through the web channel. Every call first asks whether the page on show is one of the
// program's own; for any other page every call does nothing.

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class PageBridge : public QObject {
    Q_OBJECT
public:
    explicit PageBridge(QObject* parent = nullptr) : QObject(parent) {}

    // Whether the page now on show may use the commands (set by the browser window).
    std::function<bool()> pageAllowed;
    // "go" commands walk the navigation table of the browser window.
    std::function<void(const QString& target)> go;
    // Keeps the browser window in front while a clicked control opens its own window.
    std::function<void(bool topmost)> keepInFront;

    // State of a bound control: exists, checked, enabled.
    Q_INVOKABLE QVariantMap bindElement(const QString& form, const QString& name, const QString& index);
    // A click on an element bound to a control (command "click" or "setfocus").
    Q_INVOKABLE void dispatchControl(const QString& form, const QString& name, const QString& index,
                                     const QString& command, bool checked, const QString& type);
    // A click on an element with a command of its own: "method [arg [arg]]" or "go target".
    Q_INVOKABLE void dispatchCommand(const QString& form, const QString& command);

private:
    bool Allowed() const;
};
