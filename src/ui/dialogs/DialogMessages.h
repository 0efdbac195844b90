#pragma once
// The message numbers the editing dialogs look up in the language files. A name says what the
// text is for; the number is the text's key in English.lang and Deutsch.lang.

namespace DialogMsg {

// Accessible names of controls without a caption of their own.
constexpr int MaskBoxNames = 1110;        // 1110-1114: the five mask boxes, in their order
constexpr int ListNameLeft = 1120;        // "List name (left)"
constexpr int ListNameRight = 1121;       // "List name (right)"
constexpr int ProgramVersion = 1122;      // "Program version"

// Language choice: every language file names its language code (such as "en") under this key.
constexpr int LanguageCode = 1246;

// Folder pair editor (dlgDirs).
constexpr int SelectFolderTitle = 20800;  // "Select %1"
constexpr int FolderOneName = 20801;      // "folder 1 (left)"
constexpr int FolderTwoName = 20802;      // "folder 2 (right)"
constexpr int FolderOneMissing = 20810;
constexpr int FolderTwoMissing = 20820;
constexpr int TwoInsideOne = 20830;       // folder 2 inside folder 1, subfolders included
constexpr int OneInsideTwo = 20840;
// Another pair already uses this folder: mine / theirs.
constexpr int SameOneAsOne = 20850;
constexpr int SameTwoAsTwo = 20860;
constexpr int SameTwoAsOne = 20870;
constexpr int SameOneAsTwo = 20880;
// Nesting with a folder of another pair (%1): "holds" when the other lies inside this one,
// "inside" when this one lies inside the other.
constexpr int OneHoldsTheirOne = 20890;
constexpr int OneInsideTheirOne = 20900;
constexpr int TwoHoldsTheirTwo = 20910;
constexpr int TwoInsideTheirTwo = 20920;
constexpr int TwoHoldsTheirOne = 20930;
constexpr int TwoInsideTheirOne = 20940;
constexpr int OneHoldsTheirTwo = 20950;
constexpr int OneInsideTheirTwo = 20960;

// Profile and default settings.
constexpr int TimeLagInvalid = 10800;     // "Please enter the time lag as a time of less than one day ..."
constexpr int SettingsNotWritten = 1133;  // %1 file, %2 reason
constexpr int SelectSettingsFolder = 15200;  // "Select the %1"
constexpr int SettingsFolderNames = 15201;   // 15201-15202: profile files, log files

// The log page of the default settings.
constexpr int LogNotReadable = 1134;      // %1 path
constexpr int LogShownInPart = 1135;      // %1 MB held, %2 KB shown
constexpr int LogsNotDeleted = 1136;      // %1 the files, one a line
constexpr int LogFrameTitle = 16010;      // "Log file - %1"
constexpr int LogFileFilter = 16900;      // filter pairs separated by %1
constexpr int SelectLogTitle = 16910;
constexpr int DeleteLogsTitle = 16920;

// Scheduled tasks and shortcuts.
constexpr int LineBreakInText = 1150;     // %1 the text
constexpr int NoStartTime = 1152;         // %1 the text
constexpr int ShortcutNotWritten = 1153;  // %1 file, %2 reason
constexpr int NoShortcutName = 1154;      // %1 the name
constexpr int TaskGone = 1155;            // %1 task
constexpr int TaskNameTaken = 1270;       // %1 task
constexpr int TaskLineUnreadable = 1271;  // %1 task, %2 its line
constexpr int NoScheduleLine = 1272;
constexpr int ReadOnlyTaskMark = 1273;
constexpr int TaskWithoutHide = 1274;
constexpr int SelectShortcutFolder = 50800;
constexpr int ShortcutUserMissing = 50810;
constexpr int TaskColumnTitles = 55200;   // titles separated by %1
constexpr int DeleteTaskQuestion = 55800; // %1 task
constexpr int TaskNotCreated = 55810;     // %1 task
constexpr int TaskCreated = 55820;        // %1 task, %2 start, %3 user

}  // namespace DialogMsg
