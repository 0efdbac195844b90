#include "i18n/DefaultListNames.h"

#include "i18n/TextLookup.h"

namespace {
constexpr int kListNameKeys[2] = {127, 128};

// The stand-in texts in the language they were filled in; empty for a side the settings name.
std::array<QString, 2>& FilledNames() {
    static std::array<QString, 2> filled;
    return filled;
}
}  // namespace

void FillDefaultListNames(ProfileOptions& defaults) {
    for (size_t side = 0; side < 2; ++side) {
        FilledNames()[side].clear();
        if (!defaults.ListName[side].isEmpty()) continue;
        defaults.ListName[side] = FormatMsg(kListNameKeys[side]);
        FilledNames()[side] = defaults.ListName[side];
    }
}

void RelocaliseDefaultListNames(ProfileOptions& defaults, ProfileOptions& current) {
    for (size_t side = 0; side < 2; ++side) {
        const QString old = FilledNames()[side];
        const QString key = QString::number(kListNameKeys[side]);
        if (old.isEmpty() || !Localizer().HasText(key)) continue;
        const QString now = FormatMsg(key);
        if (defaults.ListName[side] == old) defaults.ListName[side] = now;
        if (current.ListName[side] == old) current.ListName[side] = now;
        FilledNames()[side] = now;
    }
}
