#pragma once
// The texts of the language files that the browser window, the help keys and the update check
// show, by their numbers there.

namespace WebMessage {
constexpr int ProgramTitle = 101;            // 101: "Tandor", the title of every message
constexpr int BrowserWindowAlreadyOpen = 829;  // 829: a manual update check while the window is open
constexpr int BrowserCannotOpen = 1250;      // 1250: the browser module cannot be loaded; %1 why
constexpr int HelpWindowCaption = 94000;     // 94000: the browser window's caption on a blank page
// 94030 and 94031: the caption of the online/offline button, "Online" while the installed help
// is shown and "Offline" while the online help is.
constexpr int ShowOnlineHelp = 94030;
constexpr int ShowInstalledHelp = 94031;
}  // namespace WebMessage
