#pragma once
// The fixed preparation of every window on load: ScaleForm(this, false), then
// LocalizeControls(this).

#include "i18n/forms/LocalizeControls.h"
#include "i18n/forms/ScaleForm.h"
