#pragma once
// Log lines of the browser window, the page commands and the update check (refused names,
// ignored fields, missing help files) go to this category.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWeb)
