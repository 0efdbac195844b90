#include "config/Profile.h"

namespace {
CurrentProfileState& Instance() {
    static CurrentProfileState state;
    return state;
}
}  // namespace

CurrentProfileState& CurrentProfile() { return Instance(); }
void ResetCurrentProfile() { Instance() = CurrentProfileState{}; }
