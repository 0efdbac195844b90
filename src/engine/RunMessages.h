#pragma once
// The message numbers of the language files that the run, its guards and its reports use.

namespace RunMsg {
// Questions before a command.
constexpr int DeleteQuestion = 801;         // popup delete: "Do you really want to delete ..."
constexpr int ListOutOfDate = 803;          // the list no longer shows what is on disk
constexpr int SynchronizeQuestion = 804;    // "Do you want to synchronize ... now?"
constexpr int CopyQuestion = 811;           // popup copy
constexpr int ListEmpty = 1285;             // nothing listed, nothing to synchronise
// Checks of a run that stop it before anything changes.
constexpr int NoSyncOption = 808;
constexpr int NothingToSynchronize = 809;
constexpr int NothingFitsOptions = 810;
// Status line texts while a command works.
constexpr int Synchronizing = 852;
constexpr int Copying = 853;
constexpr int Deleting = 854;
// The guards.
constexpr int DeletionsHeldMissingRoot = 880;
constexpr int MassDeletionQuestion = 881;
constexpr int MassDeletionRefused = 882;
constexpr int SharedRootsRefused = 883;
constexpr int SharedRootsQuestion = 884;
// The error report of a failed operation.
constexpr int SourceLabel = 812;
constexpr int DestinationLabel = 813;
constexpr int ErrorWord = 814;
constexpr int ChangedSinceCompare = 870;
constexpr int UnsafePath = 871;
constexpr int TypeConflict = 872;
constexpr int CaseConflict = 873;
// Two-way runs and their remembered state.
constexpr int ConflictKept = 874;         // log: both sides changed; the overwritten version kept as
constexpr int ConflictCopiedBack = 875;   // log: deleted on one side, changed on the other
constexpr int ConflictNotKept = 876;      // log: the overwritten version could not be kept
constexpr int ConflictsSummary = 877;     // log and status line: conflicts of the run
constexpr int MemoryUnusable = 879;       // log: the store cannot be opened or read
constexpr int MemoryNotWritten = 885;     // the state after the run could not be written
constexpr int PlanConflicts = 886;        // the plan's line of conflicts under the question
constexpr int ErrorInLeftFolder = 1280;      // + side: 1281 in the right folder
constexpr int ErrorCopyingFromLeft = 1282;   // + side: 1283 copying from the right
constexpr int ErrorPromptButtons = 1284;
// The log lines at the end of a run and of the temporary clean-up.
constexpr int CancelledByUser = 1222;
constexpr int StoppedAtFirstError = 1231;
constexpr int TemporariesRemoved = 1230;
constexpr int TemporariesNotRemoved = 1232;
// The plan's lines under a question (+ side) and the count boxes.
constexpr int PlanCopyFromLeft = 1215;    // + side: 1216 from the right
constexpr int PlanDeleteInLeft = 1217;    // + side: 1218 in the right
constexpr int CountNoFiles = 700;
constexpr int CountFiles = 701;
constexpr int CountNoFolders = 710;
constexpr int CountFolders = 711;
constexpr int CountBytes = 1212;
constexpr int CountDeleteInLeft = 1213;
constexpr int CountDeleteInRight = 1214;
// The status line after a command.
constexpr int OutcomeDone = 1219;
constexpr int OutcomeWithErrors = 1220;
constexpr int OutcomeCancelled = 1221;
constexpr int OutcomeDoneAsChosen = 1288;
}  // namespace RunMsg
