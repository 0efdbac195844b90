#pragma once
// The program's own key Software\Vellmark\Tandor in the registry store.

#include <QString>
#include <QVariant>

#include <optional>

QString ProgramRegistryKey(const QString& section = QString());

QVariant ReadUserRegistryValue(const QString& section, const QString& name, const QVariant& def);
QVariant ReadMachineRegistryValue(const QString& section, const QString& name, const QVariant& def);
bool WriteUserRegistryValue(const QString& section, const QString& name,
                            const std::optional<QVariant>& value = std::nullopt);
bool WriteMachineRegistryValue(const QString& section, const QString& name,
                               const std::optional<QVariant>& value = std::nullopt);
bool CanWriteMachineKey();
