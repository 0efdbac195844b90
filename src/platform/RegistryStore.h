#pragma once
// The registry store: per-user values in $XDG_CONFIG_HOME/Tandor/user.reg, machine-wide values
// in /etc/Tandor/system.reg, both in the registry export format. Reads never fail (they give
// the default); writes report success. Writes are atomic and locked.

#include <QString>
#include <QVariant>

#include <optional>

enum class Hive { CurrentUser, LocalMachine, ClassesRoot };

// Text values come back as QString, 32-bit numbers as int; the default otherwise.
// The value names "*" and "(Standard)" mean the key's default value.
QVariant ReadRegistryValue(Hive hive, const QString& keyPath, const QString& valueName,
                           const QVariant& def);
// Without a value, the named value is deleted. A QString is stored as text, anything else as a
// 32-bit number.
bool WriteRegistryValue(Hive hive, const QString& keyPath, const QString& valueName,
                        const std::optional<QVariant>& value);

// Where the stores live (tests point them into temporary folders).
QString RegistryStorePath(Hive hive);
void SetRegistryStorePathForTests(Hive hive, const QString& path);
