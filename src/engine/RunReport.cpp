#include "engine/RunReport.h"

#include "engine/FileView.h"
#include "engine/RunMessages.h"
#include "engine/RunState.h"
#include "i18n/SizeText.h"
#include "i18n/TextLookup.h"

namespace {
QString Number(int64_t n) { return ProgramLocale().toString(static_cast<qlonglong>(n)); }
}  // namespace

QString PlanLines(const RunPlan& plan) {
    QStringList lines;
    for (int s = 0; s < 2; ++s) {
        const auto i = static_cast<size_t>(s);
        if (plan.Copies(s))
            lines << FormatMsg(RunMsg::PlanCopyFromLeft + s, {Number(plan.CopyFiles[i]), Number(plan.CreateFolders[i]),
                                          ReadableSize(plan.CopyBytes[i])});
    }
    for (int s = 0; s < 2; ++s) {
        const auto i = static_cast<size_t>(s);
        if (plan.Deletes(s))
            lines << FormatMsg(RunMsg::PlanDeleteInLeft + s, {Number(plan.DeleteFiles[i]), Number(plan.DeleteFolders[i])});
    }
    if (plan.Conflicts > 0) lines << FormatMsg(RunMsg::PlanConflicts, {Number(plan.Conflicts)});
    return lines.join(QLatin1Char('\n'));
}

QString WithPlan(const QString& question, const RunPlan& plan) {
    const QString lines = PlanLines(plan);
    return lines.isEmpty() ? question : question + QStringLiteral("\n\n") + lines;
}

QString PlannedCountText(const FileView& files, const RunCounts& plan, int box) {
    if (box == 1) return files.CountText(1);
    if (box != 0 && box != 2) return QString();
    const size_t from = box == 0 ? 0 : 1;  // the side copied from
    const size_t deletedOn = 1 - from;     // the side whose entries this box also deletes
    const int copies = plan.CopyFiles[from];
    const int folders = plan.CreateFolders[from];
    QString text = FormatMsg(copies == 0 ? RunMsg::CountNoFiles : RunMsg::CountFiles, {Number(copies)}) +
                   FormatMsg(folders == 0 ? RunMsg::CountNoFolders : RunMsg::CountFolders, {Number(folders)});
    if (copies > 0) text += FormatMsg(RunMsg::CountBytes, {ReadableSize(plan.CopyBytes[from])});
    const int deletions = plan.DeleteFiles[deletedOn] + plan.DeleteFolders[deletedOn];
    if (deletions > 0) text += FormatMsg(deletedOn == 0 ? RunMsg::CountDeleteInLeft : RunMsg::CountDeleteInRight, {Number(deletions)});
    return text;
}

QString RunOutcomeText() {
    const RunState& run = Run();
    const RunTally& t = run.Tally;
    const int key = t.Cancelled                                                   ? RunMsg::OutcomeCancelled
                    : (t.Failed > 0 || t.Skipped > 0 || !run.Errors.isEmpty()) ? RunMsg::OutcomeWithErrors
                                                                               : RunMsg::OutcomeDone;
    // Kept conflicts are no failure, but the user should look at them.
    const QString conflicts =
        t.Conflicts > 0 ? QLatin1Char(' ') + FormatMsg(RunMsg::ConflictsSummary, {Number(t.Conflicts)}) : QString();
    // Entries kept because the user said No are what the user chose, not a failure.
    if (key == RunMsg::OutcomeDone && t.Declined > 0)
        return FormatMsg(RunMsg::OutcomeDoneAsChosen, {Number(t.Copied), Number(t.Created), Number(t.Deleted), Number(t.Declined)}) +
               conflicts;
    return FormatMsg(key, {Number(t.Copied), Number(t.Created), Number(t.Deleted), Number(t.Failed), Number(t.Skipped)}) +
           conflicts;
}
