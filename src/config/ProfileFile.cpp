#include "config/ProfileFile.h"

#include "config/PasswordScramble.h"
#include "config/TimeText.h"
#include "platform/IniFile.h"

#include <QRegularExpression>

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kView = QStringLiteral("0");
// The form of "TimeLag" is at most a date and a time; longer texts are not times anyway.
constexpr int kTimeLagChars = 19;

QString Bool(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

bool ReadBool(const IniFile::Document& doc, const QString& section, const QString& key, bool def) {
    return doc.GetInt(section, key, def ? 1 : 0) != 0;
}

ProfileOptions ReadOptions(const IniFile::Document& doc, const ProfileOptions& defaults) {
    ProfileOptions o;
    o.ListName[0] = doc.GetString(kGeneral, QStringLiteral("Left"), defaults.ListName[0]);
    o.ListName[1] = doc.GetString(kGeneral, QStringLiteral("Right"), defaults.ListName[1]);
    o.SynchMedium[0] = ReadBool(doc, kGeneral, QStringLiteral("SynchMediumLeft"), defaults.SynchMedium[0]);
    o.SynchMedium[1] = ReadBool(doc, kGeneral, QStringLiteral("SynchMediumRight"), defaults.SynchMedium[1]);
    o.CheckArchiveAttr = doc.GetInt(kGeneral, QStringLiteral("CheckArchiveAttr"), defaults.CheckArchiveAttr) != 0 ? 32 : 0;
    o.TimeLag = defaults.TimeLag;
    if (const std::optional<QString> lag = doc.Find(kGeneral, QStringLiteral("TimeLag"))) {
        o.TimeLag = ParseTimeLag(lag->left(kTimeLagChars)).value_or(defaults.TimeLag);
    }
    // "CompareDate" stands in the file for other readers; the switch follows the time lag.
    o.CompareDate = o.TimeLag < 1.0;
    o.CompareSize = ReadBool(doc, kGeneral, QStringLiteral("CompareSize"), defaults.CompareSize);
    o.ResetArchiveAttrSource = ReadBool(doc, kGeneral, QStringLiteral("ResetArchiveAttrSource"), defaults.ResetArchiveAttrSource);
    o.ResetArchiveAttrDest = ReadBool(doc, kGeneral, QStringLiteral("ResetArchiveAttrDest"), defaults.ResetArchiveAttrDest);
    o.PropagateDeletions = ReadBool(doc, kGeneral, QStringLiteral("PropagateDeletions"), defaults.PropagateDeletions);
    for (int s = 0; s < 2; ++s) {
        o.Username[s] = doc.GetString(kGeneral, QStringLiteral("Username%1").arg(s), QString());
        const QString scrambled = doc.GetString(kGeneral, QStringLiteral("Password%1").arg(s), QString());
        o.Password[s] = scrambled.isEmpty() ? QString() : UnscrambleProfilePassword(scrambled);
    }
    return o;
}

ViewOptions ReadView(const IniFile::Document& doc) {
    ViewOptions v;
    v.ShowEmptyFolders = ReadBool(doc, kView, QStringLiteral("ED"), false);
    // The filters are button numbers of 16-bit width.
    v.Filter1 = static_cast<qint16>(doc.GetInt(kView, QStringLiteral("F1"), 0));
    v.Filter2 = static_cast<qint16>(doc.GetInt(kView, QStringLiteral("F2"), 0));
    for (const SyncOptionInfo& o : kSyncOptionTable) v.SyncOptions[o.option] = ReadBool(doc, kView, QLatin1String(o.profileKey), false);
    return v;
}

FolderPair ReadPair(const IniFile::Document& doc, const QString& section) {
    FolderPair f;
    f.Dir[0] = doc.GetString(section, QStringLiteral("S"), QString());
    f.Dir[1] = doc.GetString(section, QStringLiteral("D"), QString());
    f.AutoCreate[0] = ReadBool(doc, section, QStringLiteral("SA"), false);
    f.AutoCreate[1] = ReadBool(doc, section, QStringLiteral("DA"), false);
    f.SubDirs = ReadBool(doc, section, QStringLiteral("Su"), true);
    f.Hidden[0] = ReadBool(doc, section, QStringLiteral("HD"), true);
    f.Hidden[1] = ReadBool(doc, section, QStringLiteral("HF"), true);
    f.System[0] = ReadBool(doc, section, QStringLiteral("SD"), true);
    f.System[1] = ReadBool(doc, section, QStringLiteral("SF"), true);
    static const char* const maskKeys[5] = {"IS", "ES", "IF", "EF", "DF"};
    for (int i = 0; i < 5; ++i) f.Mask[static_cast<size_t>(i)] = doc.GetString(section, QString::fromLatin1(maskKeys[i]), QString());
    return f;
}

void AppendPairs(const IniFile::Document& doc, const QStringList& sections, QList<FolderPair>& pairs) {
    for (const QString& name : sections) {
        if (IsPairSectionName(name)) pairs.append(ReadPair(doc, name));
    }
}

}  // namespace

bool IsPairSectionName(const QString& name) {
    // Any decimal number counts ("3", "12", "1.5", "2e1"); names such as "inf" do not.
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = name.trimmed();
    return t != QLatin1String("0") && number.match(t).hasMatch();
}

bool ReadProfileFile(const QString& path, const ProfileOptions& defaults, Profile& out) {
    const IniFile::Document doc = IniFile::Document::Load(path);
    const QStringList sections = doc.SectionNames();
    if (sections.isEmpty()) return false;
    Profile p;
    p.Options = ReadOptions(doc, defaults);
    p.View = ReadView(doc);
    AppendPairs(doc, sections, p.Pairs);
    out = std::move(p);
    return true;
}

bool WriteProfileFile(const QString& path, const Profile& p) {
    const ProfileOptions& o = p.Options;
    IniFile::Section general{kGeneral, {}};
    general.keys = {
        {QStringLiteral("Left"), o.ListName[0]},
        {QStringLiteral("Right"), o.ListName[1]},
        {QStringLiteral("SynchMediumLeft"), Bool(o.SynchMedium[0])},
        {QStringLiteral("SynchMediumRight"), Bool(o.SynchMedium[1])},
        {QStringLiteral("CheckArchiveAttr"), o.CheckArchiveAttr != 0 ? QStringLiteral("32") : QStringLiteral("0")},
        {QStringLiteral("CompareDate"), Bool(o.CompareDate)},
        {QStringLiteral("TimeLag"), TimeLagText(o.TimeLag)},
        {QStringLiteral("CompareSize"), Bool(o.CompareSize)},
        {QStringLiteral("ResetArchiveAttrSource"), Bool(o.ResetArchiveAttrSource)},
        {QStringLiteral("ResetArchiveAttrDest"), Bool(o.ResetArchiveAttrDest)},
        {QStringLiteral("PropagateDeletions"), Bool(o.PropagateDeletions)},
        {QStringLiteral("Username0"), o.Username[0]},
        {QStringLiteral("Username1"), o.Username[1]},
        {QStringLiteral("Password0"), ScrambleProfilePassword(o.Password[0])},
        {QStringLiteral("Password1"), ScrambleProfilePassword(o.Password[1])},
    };
    const ViewOptions& v = p.View;
    IniFile::Section view{kView, {}};
    view.keys = {
        {QStringLiteral("ED"), Bool(v.ShowEmptyFolders)},
        {QStringLiteral("F1"), QString::number(v.Filter1)},
        {QStringLiteral("F2"), QString::number(v.Filter2)},
    };
    for (const SyncOptionInfo& option : kSyncOptionTable)
        view.keys.append({QLatin1String(option.profileKey), Bool(v.SyncOptions[option.option])});

    QList<IniFile::Section> sections{general, view};
    for (qsizetype n = 0; n < p.Pairs.size(); ++n) {
        const FolderPair& f = p.Pairs[n];
        IniFile::Section pair{QString::number(n + 1), {}};
        pair.keys = {
            {QStringLiteral("S"), f.Dir[0]},
            {QStringLiteral("D"), f.Dir[1]},
            {QStringLiteral("SA"), Bool(f.AutoCreate[0])},
            {QStringLiteral("DA"), Bool(f.AutoCreate[1])},
            {QStringLiteral("Su"), Bool(f.SubDirs)},
            {QStringLiteral("HD"), Bool(f.Hidden[0])},
            {QStringLiteral("HF"), Bool(f.Hidden[1])},
            {QStringLiteral("SD"), Bool(f.System[0])},
            {QStringLiteral("SF"), Bool(f.System[1])},
            {QStringLiteral("IS"), f.Mask[MaskIncludeDirs]},
            {QStringLiteral("ES"), f.Mask[MaskExcludeDirs]},
            {QStringLiteral("IF"), f.Mask[MaskIncludeFiles]},
            {QStringLiteral("EF"), f.Mask[MaskExcludeFiles]},
            {QStringLiteral("DF"), f.Mask[MaskDeleteFiles]},
        };
        sections.append(pair);
    }
    return IniFile::WriteWholeFile(path, sections);
}

bool ImportProfilePairs(const QString& path, Profile& into) {
    const IniFile::Document doc = IniFile::Document::Load(path);
    const QStringList sections = doc.SectionNames();
    if (sections.isEmpty()) return false;
    AppendPairs(doc, sections, into.Pairs);
    return true;
}
