#pragma once
// Placeholders in stored paths, expanded at the moment a path is used.

#include <QString>

QString ExpandPathPlaceholders(const QString& text);
