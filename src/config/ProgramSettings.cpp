#include "config/ProgramSettings.h"

#include "config/Registry.h"
#include "config/TimeText.h"
#include "platform/IniFile.h"
#include "platform/IniFileIo.h"
#include "platform/LaunchTools.h"
#include "platform/SystemInfo.h"

#include <QDir>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

ProgramSettings& Instance() {
    static ProgramSettings settings;
    return settings;
}

const QString kProductName = QStringLiteral("Tandor");
// Window geometry is kept in twips; the library has no screen to ask, so it assumes the
// common 96 dots per inch: 1440 / 96 = 15 twips per pixel.
constexpr int kTwipsPerPixel = 15;

QString SettingsFileName() { return kProductName + QStringLiteral(".ini"); }

// A missing or empty settings file gets the template shipped beside the program. Done under
// the settings file's lock, so a second instance starting at the same moment cannot overwrite
// keys the first one has written meanwhile.
void CopyTemplateIfNeeded(const QString& settingsFile) {
    const IniFileIo::RawFile current = IniFileIo::ReadFile(settingsFile);
    if (current.exists && !current.bytes.isEmpty()) return;
    const IniFileIo::RawFile templ = IniFileIo::ReadFile(ProgramFolder() + QLatin1Char('/') + SettingsFileName());
    if (!templ.exists || templ.bytes.isEmpty() || templ.tooLarge) return;
    IniFileIo::UpdateLocked(settingsFile, [&](const IniFileIo::RawFile& old) -> std::optional<QByteArray> {
        if (old.exists && !old.bytes.isEmpty()) return std::nullopt;
        return templ.bytes;
    });
}

void LocateSettingsFile(ProgramSettings& s) {
    // The settings live in the per-user configuration folder (a multi-user system).
    QString appData = GetKnownFolder(KnownFolder::AppData, true, false);
    if (appData.isEmpty()) appData = GetKnownFolder(KnownFolder::AppData, false, false);
    s.SettingsFolder = appData + QLatin1Char('/') + kProductName;
    QDir().mkpath(s.SettingsFolder);  // a folder that cannot be made leaves us on defaults
    s.SettingsFilePath = s.SettingsFolder + QLatin1Char('/') + SettingsFileName();
    CopyTemplateIfNeeded(s.SettingsFilePath);
}

bool Flag(const IniFile::Document& doc, const char* section, const char* key, bool def) {
    return doc.GetInt(QLatin1String(section), QLatin1String(key), def ? 1 : 0) != 0;
}

QString Text(const IniFile::Document& doc, const char* section, const char* key, const QString& def,
             int maxChars = IniFile::MaxStringChars) {
    return doc.GetString(QLatin1String(section), QLatin1String(key), def, maxChars);
}

void ReadSettingsFile(ProgramSettings& s) {
    const IniFile::Document doc = IniFile::Document::Load(s.SettingsFilePath);
    ProfileOptions& o = s.DefaultProfileOptions;
    o.ListName[0] = Text(doc, "General", "Left", QString());
    o.ListName[1] = Text(doc, "General", "Right", QString());
    o.SynchMedium[0] = Flag(doc, "General", "SynchMediumLeft", false);
    o.SynchMedium[1] = Flag(doc, "General", "SynchMediumRight", false);
    o.CheckArchiveAttr = doc.GetInt(QStringLiteral("General"), QStringLiteral("CheckArchiveAttr"), 0) != 0 ? 32 : 0;
    o.CompareDate = Flag(doc, "General", "CompareDate", true);
    // An unreadable time lag keeps the value the record had.
    o.TimeLag = ParseTimeLag(Text(doc, "General", "TimeLag", QStringLiteral("0"), 19)).value_or(o.TimeLag);
    o.CompareSize = Flag(doc, "General", "CompareSize", true);
    o.ResetArchiveAttrSource = Flag(doc, "General", "ResetArchiveAttrSource", false);
    o.ResetArchiveAttrDest = Flag(doc, "General", "ResetArchiveAttrDest", false);
    o.PropagateDeletions = Flag(doc, "General", "PropagateDeletions", false);
    // User names and passwords are never read from the settings file.
    o.Username = {};
    o.Password = {};

    s.SubDirs = Flag(doc, "Include", "SubDirs", true);
    s.SysDirs = Flag(doc, "Include", "SysDirs", false);
    s.SysFiles = Flag(doc, "Include", "SysFiles", false);
    // On Linux a hidden entry is any name starting with a dot (.git, .config, a program's
    // settings): a copy of a home folder without them is not complete, so new pairs take them.
    s.HiddenDirs = Flag(doc, "Include", "HiddenDirs", true);
    s.HiddenFiles = Flag(doc, "Include", "HiddenFiles", true);
    s.ExcludeDirs = Text(doc, "Exclude", "Dirs", QString());
    s.ExcludeFiles = Text(doc, "Exclude", "Files", QString());
    s.DeleteFiles = Text(doc, "Delete", "Files", QString());

    s.FormPos = Text(doc, "Form", "Pos", DefaultFormPos(), 99);
    s.FormState = doc.GetInt(QStringLiteral("Form"), QStringLiteral("State"), 0);
    s.Zoom = doc.GetInt(QStringLiteral("Form"), QStringLiteral("Zoom"), 100);
    s.ProfilesFolder = Text(doc, "Paths", "Profiles", s.SettingsFolder);
    s.LogfilesFolder = Text(doc, "Paths", "Logfiles", s.SettingsFolder);

    s.LogToFile = Flag(doc, "General", "LogToFile", false);
    s.LogChanges = Flag(doc, "General", "LogChanges", false);
    s.DontShowHint = Flag(doc, "General", "DontShowHint", false);
    s.ButtonBarsWithText = Flag(doc, "General", "ButtonBarsWithText", true);
    s.LanguageName = Text(doc, "General", "Language", QString(), 254);
    s.IgnoreLockedFiles = Flag(doc, "General", "IgnoreLockedFiles ", false);
    s.AllowUndo = Flag(doc, "General", "AllowUndo", false);
    s.CancelAfterErrorUnattended = Flag(doc, "General", "CancelAfterErrorUnattended", false);
    s.DontAutoRunAfterError = Flag(doc, "General", "DontAutoRunAfterError", false);
    s.MaxDeletePercent = std::clamp(doc.GetInt(QStringLiteral("General"), QStringLiteral("MaxDeletePercent"), 50), 0, 100);
    s.AutoUpdateCheck = Flag(doc, "General", "AutoUpdateCheck", false);
    s.NoStartupInfo = doc.GetInt(QStringLiteral("General"), QStringLiteral("NoStartupInfo"), 0);
}

// "LastUpdateCheck" and "NextUpdateCheck" hold a day value as decimal text with "." as point.
double DateValue(const QVariant& stored) {
    bool ok = false;
    const double value = stored.toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

void ReadRegistryValues(ProgramSettings& s) {
    s.ShortcutFolder = ReadUserRegistryValue(QStringLiteral("CurrentVersion"), QStringLiteral("ShortcutFolder"),
                                             DefaultShortcutFolder()).toString();
    s.LastUpdateCheck = DateValue(ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastUpdateCheck"), 0));
    s.NextUpdateCheck = DateValue(ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("NextUpdateCheck"), 0));
    bool ok = false;
    int runs = ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("Runs"), 0).toInt(&ok);
    if (!ok) runs = 0;
    if (runs < INT_MAX) ++runs;
    s.Runs = runs;
    WriteUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("Runs"), QVariant(runs));
}

}  // namespace

QString DefaultShortcutFolder() {
    const QString desktop = DesktopFolder();
    return desktop.isEmpty() ? UserDataHome() + QStringLiteral("/applications") : desktop;
}

QString DefaultFormPos()
{
    return QStringLiteral("0;0;%1;%2").arg(640 * kTwipsPerPixel).arg(480 * kTwipsPerPixel);
}

ProgramSettings& Settings() { return Instance(); }
void ResetProgramSettings() { Instance() = ProgramSettings{}; }

void LoadProgramSettings() {
    ProgramSettings& s = Settings();
    LocateSettingsFile(s);
    ReadSettingsFile(s);
    // WheelScrollLines is the window system's to tell; the windows fill it in at start-up.
    ReadRegistryValues(s);
}

bool WriteSettingsString(const QString& section, const QString& key, const QString& value) {
    const QString& path = Settings().SettingsFilePath;
    if (path.isEmpty()) return false;
    return IniFile::WriteString(path, section, key, value);
}
