#pragma once
// The list names that stand in where the settings name none ("Source" and "Destination",
// messages 127 and 128) belong to the language, not to the user: they follow a change of
// language, in the default options and in a profile that still carries them.

#include "config/Profile.h"

// Fills the empty list names of the default options from the active language and remembers
// which names came from it.
void FillDefaultListNames(ProfileOptions& defaults);

// After the language has changed: every name that still is the old language's stand-in takes
// the new language's text, where the new language file has one. The other names are the user's
// and stay.
void RelocaliseDefaultListNames(ProfileOptions& defaults, ProfileOptions& current);
