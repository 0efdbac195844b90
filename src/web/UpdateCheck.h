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

// Starts a check (refused with message 829 when asked for while the browser window is open).
void CheckForUpdate(bool manual);
// The main window's timer asks this at its first tick and every minute after.
void UpdateDueCheck();
// Acts on the answer of a loaded update page: next check, address, message, update code.
void ApplyUpdateAnswer(const QVariantMap& fields);
// Opens the news page in the system's browser.
bool OpenNews();

// Messages of the update check (829, the page's message); tests record them instead.
std::function<void(const QString& text, const QString& title)>& UpdateMessageHandler();
// Overrides the update address (tests load a local page); empty restores it.
void SetUpdateAddressForTests(const QString& address);
void ResetUpdateChecksForTests();
int UpdateChecksStarted();
