#pragma once
// The language files' numbers of the messages that start-up shows or reports.

namespace AppMessage {
// "The last unattended run on %1 ended with this error:"
constexpr int LastUnattendedRunError = 815;
// "The automatic synchronization was skipped: the last unattended run (%1) ended with an
// error, and ... is switched on."
constexpr int AutoRunSkippedAfterError = 891;
// "The profile holds no folder pair, so nothing was compared or synchronized."
constexpr int ProfileWithoutPairs = 892;
// "Tandor has registered its file types."
constexpr int FileTypesRegistered = 909;
// "Tandor could not register its file types: %1"
constexpr int FileTypesNotRegistered = 1298;
}  // namespace AppMessage
