#pragma once
// The page commands' reach into the program: an explicit list of the controls a help page may
// show and click and of the methods it may call, per window. Anything not registered is refused
// with a log line; there is no lookup by name beyond this list.

#include <QHash>
#include <QString>
#include <QVariantList>

#include <functional>

class QWidget;

class PageProtocol {
public:
    using Method = std::function<void(const QVariantList& args)>;

    static PageProtocol& Instance();

    // A control of a window a page may bind to (controlName with "_n" for element n of an array).
    // Clicking the page element clicks the control.
    void RegisterControl(const QString& window, const QString& controlName);
    // A method a page command may call with zero, one or two arguments.
    void RegisterMethod(const QString& window, const QString& method, Method call);
    // A button: the control, and the method "<name>_Click" that clicks it while it is enabled.
    void RegisterButton(const QString& window, const QString& buttonName);
    void UnregisterWindow(const QString& window);
    void Clear();

    // The registered control of the loaded window, or null (refusals are logged unless quiet).
    QWidget* Control(const QString& window, const QString& name, const QString& index, bool quiet = false) const;
    // Calls a registered method of a loaded window; false (logged) when refused.
    bool Call(const QString& window, const QString& method, const QVariantList& args) const;

private:
    struct WindowEntry {
        QHash<QString, QString> controls;  // lower-case name -> object name
        QHash<QString, Method> methods;    // lower-case name -> call
    };
    QHash<QString, WindowEntry> windows_;  // lower-case window name
};

// The loaded top-level window with this object name (letter case ignored), or null.
QWidget* FindProgramWindow(const QString& name);
