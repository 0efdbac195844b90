#pragma once
// Whether the windowed start can open its display. A display variable alone proves nothing:
// cron jobs and ssh sessions often carry a DISPLAY whose server is long gone, and Qt ends the
// process with a core dump when the display it is told to use cannot be opened.

#include <QString>

enum class DisplayState {
    None,         // no display named at all
    Reachable,    // the window system Qt would use answers
    Unreachable,  // one is named, but it cannot be opened (or did not answer in time)
};

// Opens the display the way the windowed start will (Qt's own platform choice) in a child
// process, so that a failure ends only the child. A child that has not answered after
// timeoutMs is killed and the display counts as unreachable.
DisplayState ProbeDisplay(int timeoutMs);

// The named display for messages: DISPLAY, WAYLAND_DISPLAY or the Qt platform, whichever is set.
QString NamedDisplay();
