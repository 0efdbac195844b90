#pragma once
// Keeping both versions of a file that a two-way pair changed on both sides since its last run:
// before the run's copy overwrites one version with the other, the overwritten version is copied
// to a conflict name on both sides, so that at no moment either version exists nowhere.

#include <QDateTime>
#include <QString>

class SyncJob;

// "name (conflict YYYY-MM-DD hhmm).ext" for the time when, the extension after the last dot kept
// (a leading dot starts no extension); from counter 2 on the counter joins the time
// ("... hhmm 2)"). The stem is shortened, a whole character at a time, until the name fits
// limitBytes as written on disk. Empty when not even a one-character stem fits.
QString ConflictName(const QString& name, const QDateTime& when, int counter, int limitBytes);

// For a conflict row of the job's view: copies the version the run's copy will overwrite to a
// conflict name that neither side holds, on both sides, and logs it. A file deleted on one side
// and changed on the other is only logged (the copy brings it back). False when a copy failed
// (reported): the run then leaves the row as it is.
bool KeepConflictVersions(SyncJob& job, int row);
