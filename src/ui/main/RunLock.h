#pragma once
// Whether a compare or a synchronisation of the main window works. The run works on the list,
// its ticks, the options and the profile as they were when it started: the lists and the
// commands refuse whatever would change them until it ends, also the ways in that do not pass a
// disabled control (keys, menus, a screen reader).

#include "engine/RunHost.h"

class RunLock {
public:
    bool Running() const { return running_; }
    void SetRunning(bool running) { running_ = running; }
    // True, with a beep, while a run works.
    bool Refused() const {
        if (!running_) return false;
        Host().Beep();
        return true;
    }

private:
    bool running_ = false;
};
