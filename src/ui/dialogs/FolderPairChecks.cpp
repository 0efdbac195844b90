#include "ui/dialogs/FolderPairChecks.h"

#include "config/Placeholders.h"
#include "engine/CompareRun.h"
#include "engine/RunHost.h"
#include "platform/FileListing.h"
#include "platform/VolumeLabels.h"

namespace {

constexpr int QuestionStyle = MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2;  // 292

Qt::CaseSensitivity CaseRule(const QString& a, const QString& b) {
    return FileSystem::FolderFoldsCase(a) || FileSystem::FolderFoldsCase(b) ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

// One nesting check of this pair's folder against a folder of another pair.
struct Nesting {
    int side;        // this pair's folder
    int otherSide;   // the other pair's folder
    int insideKey;   // this folder lies inside the other one, which includes subfolders
    int holdsKey;    // the other folder lies inside this one, and this pair includes subfolders
};
constexpr Nesting NestingChecks[] = {
    {0, 0, 20900, 20890}, {1, 1, 20920, 20910}, {1, 0, 20940, 20930}, {0, 1, 20960, 20950}};

}  // namespace

QString ComparableFolder(const QString& text) {
    QString folder = ResolveVolumeLabelPath(ExpandPathPlaceholders(text));
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder;
}

bool SameFolder(const QString& a, const QString& b) {
    return !a.isEmpty() && a.compare(b, CaseRule(a, b)) == 0;
}

bool FolderInside(const QString& inner, const QString& outer) {
    if (outer.isEmpty()) return false;
    const QString prefix = outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/');
    return inner.size() > prefix.size() && inner.startsWith(prefix, CaseRule(inner, outer));
}

bool CheckFolderPair(const FolderPair& pair, const QList<FolderPair>& pairs, qsizetype index,
                     const PairCheckQuestion& ask) {
    if (pair.Dir[0].isEmpty()) {
        ask(20810, QString(), MsgBox::OKOnly | MsgBox::Exclamation);
        return false;
    }
    if (pair.Dir[1].isEmpty()) {
        ask(20820, QString(), MsgBox::OKOnly | MsgBox::Exclamation);
        return false;
    }
    auto agreed = [&ask](int key, const QString& argument = QString()) {
        return ask(key, argument, QuestionStyle) == MsgBox::Yes;
    };
    const QString mine[2] = {ComparableFolder(pair.Dir[0]), ComparableFolder(pair.Dir[1])};
    if (pair.SubDirs) {
        if (FolderInside(mine[0], mine[1]) && !agreed(20840)) return false;
        if (FolderInside(mine[1], mine[0]) && !agreed(20830)) return false;
    }
    for (qsizetype o = 0; o < pairs.size(); ++o) {
        if (o == index) continue;
        const FolderPair& other = pairs[o];
        const QString theirs[2] = {ComparableFolder(other.Dir[0]), ComparableFolder(other.Dir[1])};
        const struct { int mine, theirs, key; } equalities[] = {{0, 0, 20850}, {1, 1, 20860}, {1, 0, 20870}, {0, 1, 20880}};
        bool anyEqual = false;
        for (const auto& e : equalities) {
            if (!SameFolder(mine[e.mine], theirs[e.theirs])) continue;
            anyEqual = true;
            if (!agreed(e.key)) return false;
        }
        if (anyEqual) continue;
        for (const Nesting& n : NestingChecks) {
            const QString& mineFolder = mine[n.side];
            const QString& theirFolder = theirs[n.otherSide];
            if (other.SubDirs && FolderInside(mineFolder, theirFolder) && !agreed(n.insideKey, other.Dir[n.otherSide]))
                return false;
            if (pair.SubDirs && FolderInside(theirFolder, mineFolder) && !agreed(n.holdsKey, other.Dir[n.otherSide]))
                return false;
        }
    }
    return true;
}
