#pragma once
// The texts that tell the user what a command will do and what it did: the numbers under the
// question before a run, the count boxes, and the status line after a run.

#include "engine/RunPlan.h"

#include <QString>

class FileView;

// The plan's lines: copies each way with their size, deletions on each side; only the lines
// that have something to say.
QString PlanLines(const RunPlan& plan);
// The question followed by a blank line and the plan's lines (the question alone when the plan
// is empty).
QString WithPlan(const QString& question, const RunPlan& plan);
// Count box 0 (what folder 2 gets: copies from folder 1, deletions in folder 2) and box 2 (the
// same for folder 1); box 1 counts the identical entries of the view.
QString PlannedCountText(const FileView& files, const RunCounts& plan, int box);
// "Done: 3 copied, 1 folder(s) created, ..." from the counts of the last command (Run().Tally),
// worded for a run that ended well, with errors, or at a Cancel.
QString RunOutcomeText();
