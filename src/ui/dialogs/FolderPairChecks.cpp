#include "ui/dialogs/FolderPairChecks.h"

#include "config/Placeholders.h"
#include "engine/CompareRun.h"
#include "engine/RunHost.h"
#include "platform/FileListing.h"
#include "platform/VolumeLabels.h"
#include "ui/dialogs/DialogMessages.h"

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
    {0, 0, DialogMsg::OneInsideTheirOne, DialogMsg::OneHoldsTheirOne},
    {1, 1, DialogMsg::TwoInsideTheirTwo, DialogMsg::TwoHoldsTheirTwo},
    {1, 0, DialogMsg::TwoInsideTheirOne, DialogMsg::TwoHoldsTheirOne},
    {0, 1, DialogMsg::OneInsideTheirTwo, DialogMsg::OneHoldsTheirTwo}};

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
        ask(DialogMsg::FolderOneMissing, QString(), MsgBox::OKOnly | MsgBox::Exclamation);
        return false;
    }
    if (pair.Dir[1].isEmpty()) {
        ask(DialogMsg::FolderTwoMissing, QString(), MsgBox::OKOnly | MsgBox::Exclamation);
        return false;
    }
    auto agreed = [&ask](int key, const QString& argument = QString()) {
        return ask(key, argument, QuestionStyle) == MsgBox::Yes;
    };
    const QString mine[2] = {ComparableFolder(pair.Dir[0]), ComparableFolder(pair.Dir[1])};
    if (pair.SubDirs) {
        if (FolderInside(mine[0], mine[1]) && !agreed(DialogMsg::OneInsideTwo)) return false;
        if (FolderInside(mine[1], mine[0]) && !agreed(DialogMsg::TwoInsideOne)) return false;
    }
    for (qsizetype o = 0; o < pairs.size(); ++o) {
        if (o == index) continue;
        const FolderPair& other = pairs[o];
        const QString theirs[2] = {ComparableFolder(other.Dir[0]), ComparableFolder(other.Dir[1])};
        const struct { int mine, theirs, key; } equalities[] = {
            {0, 0, DialogMsg::SameOneAsOne}, {1, 1, DialogMsg::SameTwoAsTwo},
            {1, 0, DialogMsg::SameTwoAsOne}, {0, 1, DialogMsg::SameOneAsTwo}};
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
