#include "config/Registry.h"

#include "platform/Clock.h"
#include "platform/RegistryStore.h"

#include <cmath>

namespace {
// The company and product names of the version information; they name the store's key.
const QString kCompany = QStringLiteral("Vellmark");
const QString kProduct = QStringLiteral("Tandor");
}  // namespace

QString ProgramRegistryKey(const QString& section) {
    QString key = QStringLiteral("Software\\") + kCompany + QLatin1Char('\\') + kProduct;
    if (!section.isEmpty()) key += QLatin1Char('\\') + section;
    return key;
}

QVariant ReadUserRegistryValue(const QString& section, const QString& name, const QVariant& def) {
    return ReadRegistryValue(Hive::CurrentUser, ProgramRegistryKey(section), name, def);
}

QVariant ReadMachineRegistryValue(const QString& section, const QString& name, const QVariant& def) {
    return ReadRegistryValue(Hive::LocalMachine, ProgramRegistryKey(section), name, def);
}

bool WriteUserRegistryValue(const QString& section, const QString& name, const std::optional<QVariant>& value) {
    return WriteRegistryValue(Hive::CurrentUser, ProgramRegistryKey(section), name, value);
}

bool WriteMachineRegistryValue(const QString& section, const QString& name, const std::optional<QVariant>& value) {
    return WriteRegistryValue(Hive::LocalMachine, ProgramRegistryKey(section), name, value);
}

bool CanWriteMachineKey() {
    // There is no virtual store that silently redirects machine-wide writes here: a write that
    // lands is a write to the machine-wide store, and one without the rights fails.
    const QString stamp = QString::number(static_cast<long long>(std::floor(Clock::SecondsOfDay())));
    if (!WriteMachineRegistryValue(QString(), QStringLiteral("*"), QVariant(stamp))) return false;
    WriteMachineRegistryValue(QString(), QStringLiteral("*"), QVariant(QString()));
    return true;
}
