#pragma once
// Why an unattended run did nothing, said where its caller looks: on standard error (cron mails
// it) and as one line of the log file, with the profile's path.

#include <QString>

void ReportUnattended(const QString& text, const QString& profilePath);
