#pragma once
// Runs the update code of an update page: JavaScript whose function Main is called, in an
// engine that offers no file, process or network access (no console, no imports, no timers).
// A watchdog thread interrupts a script that runs longer than the limit.

#include <QString>

#include <functional>

struct UpdateScriptResult {
    bool ran = false;          // Main ran to its end
    bool interrupted = false;  // stopped by the watchdog
    QString error;             // what went wrong, empty when it ran
};

// What the code may do: show a message, open an address in the system browser.
struct UpdateScriptServices {
    std::function<void(const QString& text)> message;
    std::function<void(const QString& address)> openAddress;
};

UpdateScriptResult RunUpdateScript(const QString& code, const UpdateScriptServices& services, int limitMs = 5000);
