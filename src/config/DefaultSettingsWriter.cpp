#include "config/DefaultSettingsWriter.h"

#include "config/TimeText.h"
#include "platform/IniFile.h"

#include <cerrno>

namespace {
QString Bit(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
}  // namespace

QList<SettingsKeyText> DefaultSettingsKeys(const ProgramSettings& s) {
    const ProfileOptions& o = s.DefaultProfileOptions;
    const QString general = QStringLiteral("General");
    const QString include = QStringLiteral("Include");
    return {
        {general, QStringLiteral("Left"), o.ListName[0]},
        {general, QStringLiteral("Right"), o.ListName[1]},
        {general, QStringLiteral("SynchMediumLeft"), Bit(o.SynchMedium[0])},
        {general, QStringLiteral("SynchMediumRight"), Bit(o.SynchMedium[1])},
        {general, QStringLiteral("CheckArchiveAttr"), Bit(o.CheckArchiveAttr != 0)},
        {general, QStringLiteral("CompareDate"), Bit(o.CompareDate)},
        {general, QStringLiteral("TimeLag"), TimeLagText(o.TimeLag)},
        {general, QStringLiteral("CompareSize"), Bit(o.CompareSize)},
        {general, QStringLiteral("ResetArchiveAttrSource"), Bit(o.ResetArchiveAttrSource)},
        {general, QStringLiteral("ResetArchiveAttrDest"), Bit(o.ResetArchiveAttrDest)},
        {general, QStringLiteral("PropagateDeletions"), Bit(o.PropagateDeletions)},
        {include, QStringLiteral("SubDirs"), Bit(s.SubDirs)},
        {include, QStringLiteral("SysDirs"), Bit(s.SysDirs)},
        {include, QStringLiteral("SysFiles"), Bit(s.SysFiles)},
        {include, QStringLiteral("HiddenDirs"), Bit(s.HiddenDirs)},
        {include, QStringLiteral("HiddenFiles"), Bit(s.HiddenFiles)},
        {QStringLiteral("Exclude"), QStringLiteral("Dirs"), s.ExcludeDirs},
        {QStringLiteral("Exclude"), QStringLiteral("Files"), s.ExcludeFiles},
        {QStringLiteral("Delete"), QStringLiteral("Files"), s.DeleteFiles},
        {general, QStringLiteral("LogToFile"), Bit(s.LogToFile)},
        {general, QStringLiteral("ButtonBarsWithText"), Bit(s.ButtonBarsWithText)},
        {QStringLiteral("Form"), QStringLiteral("Zoom"), QString::number(s.Zoom)},
        {general, QStringLiteral("IgnoreLockedFiles "), Bit(s.IgnoreLockedFiles)},
        {general, QStringLiteral("AllowUndo"), Bit(s.AllowUndo)},
        {general, QStringLiteral("CancelAfterErrorUnattended"), Bit(s.CancelAfterErrorUnattended)},
        {general, QStringLiteral("DontAutoRunAfterError"), Bit(s.DontAutoRunAfterError)},
        // Two keys of our own, kept beside the other run switches of [General].
        {general, QStringLiteral("LogChanges"), Bit(s.LogChanges)},
        {general, QStringLiteral("MaxDeletePercent"), QString::number(s.MaxDeletePercent)},
        {general, QStringLiteral("AutoUpdateCheck"), Bit(s.AutoUpdateCheck)},
        {QStringLiteral("Paths"), QStringLiteral("Profiles"), s.ProfilesFolder},
        {QStringLiteral("Paths"), QStringLiteral("Logfiles"), s.LogfilesFolder},
    };
}

bool WriteChangedDefaultSettings(const ProgramSettings& before, const ProgramSettings& after,
                                 QStringList* written) {
    const QList<SettingsKeyText> old = DefaultSettingsKeys(before);
    const QList<SettingsKeyText> now = DefaultSettingsKeys(after);
    QList<IniFile::KeyValue> changes;
    QStringList names;
    for (qsizetype i = 0; i < now.size(); ++i) {
        if (now[i].text == old[i].text) continue;
        changes.append({now[i].section, now[i].key, now[i].text});
        names << now[i].section + QLatin1Char('/') + now[i].key;
    }
    if (written) written->clear();
    if (changes.isEmpty()) return true;
    if (after.SettingsFilePath.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    if (!IniFile::WriteStrings(after.SettingsFilePath, changes)) return false;
    if (written) *written = names;
    return true;
}
