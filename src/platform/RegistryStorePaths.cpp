#include "platform/RegistryStore.h"

#include <QDir>

namespace {
QString& Override(Hive hive) {
    static QString paths[3];
    return paths[static_cast<int>(hive)];
}

QString ConfigHome() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    return xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : xdg;
}
}  // namespace

QString RegistryStorePath(Hive hive) {
    if (!Override(hive).isEmpty()) return Override(hive);
    switch (hive) {
    case Hive::CurrentUser: return ConfigHome() + QStringLiteral("/Tandor/user.reg");
    case Hive::LocalMachine: return QStringLiteral("/etc/Tandor/system.reg");
    case Hive::ClassesRoot: return ConfigHome() + QStringLiteral("/Tandor/classes.reg");
    }
    return {};
}

void SetRegistryStorePathForTests(Hive hive, const QString& path) { Override(hive) = path; }
