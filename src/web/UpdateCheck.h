#pragma once
// The update check: when due (by the stored date, at most three automatic checks a run) or on
// request it opens the update page in the browser window and acts on the page's answer fields;
// and the news page, opened in the system's browser with the same query string.

#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

// "?v=major.minor.revision&u=...&s=runs&m=...&os=...".
QString UpdateQueryString();
QString UpdateAddress(bool manual);
QString NewsAddress();
QString UpdateUserAgent();

// Days until the next check from a "retcode" content: its second ";" field, 1 when missing;
// no value for an impossible number (negative, not a number, more than a hundred years).
std::optional<double> RetcodeDays(const QString& content);

// The update checks of one run of the program.
class UpdateChecks {
public:
    static constexpr int kMaxAutomaticChecks = 3;

    // address: the update page of a manual or an automatic check.
    explicit UpdateChecks(std::function<QString(bool manual)> address = UpdateAddress);
    // Starts a check (refused with a message when asked for while the browser window is open).
    void Check(bool manual);
    // An automatic check when the stored date says one is due.
    void CheckWhenDue();
    int Started() const { return started_; }

private:
    std::function<QString(bool manual)> address_;
    int started_ = 0;
};

// The program's update checks: the settings dialog's button, "-update" and the main window's
// timer, which asks CheckWhenDue at its first tick and every minute after.
UpdateChecks& ProgramUpdateChecks();
inline void CheckForUpdate(bool manual) { ProgramUpdateChecks().Check(manual); }
inline void UpdateDueCheck() { ProgramUpdateChecks().CheckWhenDue(); }

// Acts on the answer of a loaded update page: next check, address, message, update code.
void ApplyUpdateAnswer(const QVariantMap& fields);
// Opens the news page in the system's browser.
bool OpenNews();
