#pragma once
// The message and text numbers the main window looks up in the language files. The numbers are
// the language files' own and must not change.

namespace MainMsg {
constexpr int DirsTitles = 115;          // the profile list's titles, "|"-separated
constexpr int FilesSizingTitles = 125;   // the file list's titles with a sample date and time
constexpr int FilesTitles = 126;         // the file list's titles
constexpr int ProfileFilter = 720;       // the file dialogs' filter
constexpr int OpenProfileTitle = 730;
constexpr int SaveProfileTitle = 740;
constexpr int SaveChanges = 800;         // "save the changed profile?"
constexpr int ListNotCurrent = 803;      // the row menu on a list that is no longer current
constexpr int ImportFailed = 805;        // a dropped profile whose pairs could not be added
constexpr int SyncWorking = 852;         // the status text while a synchronisation works
constexpr int CopyWorking = 853;
constexpr int DeleteWorking = 854;
constexpr int SaveFailed = 890;
constexpr int FilesListName = 1190;      // accessible names of the lists and the scrollbar
constexpr int DirsListName = 1191;
constexpr int FilesPositionName = 1192;
constexpr int DirectionHeader = 1193;
constexpr int TickedHeader = 1194;
constexpr int WordTicked = 1195;         // 1195-1205: the words of a row read aloud
constexpr int WordNotTicked = 1196;
constexpr int WordToRight = 1197;
constexpr int WordToLeft = 1198;
constexpr int WordDelete = 1199;
constexpr int WordNothing = 1200;
constexpr int WordLeftSide = 1201;
constexpr int WordRightSide = 1202;
constexpr int WordNotLeft = 1203;
constexpr int WordNotRight = 1204;
constexpr int WordFolder = 1205;
constexpr int WordConflict = 1206;
constexpr int StatusFieldName = 1207;    // "Status field %1"
constexpr int ShowRunErrors = 1223;      // the status bar's "Show errors..."
constexpr int StartGuide = 1240;         // what the empty file list says
constexpr int SwitchTitleTip = 1241;     // 1241-1245: Su, SD, HD, SF and HF in words
constexpr int ToolbarOverflow = 1286;    // the button for a bar's hidden buttons
constexpr int ExampleName = 4220;        // the name of example profile %1
constexpr int ExamplePath = 4230;        // the path of example profile %1
}  // namespace MainMsg

// Control keys whose texts the window reads itself.
namespace MainKey {
constexpr int NotYetCompared = 112;  // the count boxes before a compare
constexpr int Splitter = 114;        // the bar between the lists
}  // namespace MainKey
