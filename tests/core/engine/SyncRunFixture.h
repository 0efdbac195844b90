#pragma once
// The fixture of the synchronisation run tests: two real temporary trees compared by the program
// itself, a log folder, a headless host whose answers a test queues, and a tree no run may touch.

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/CompareRun.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "engine/RunState.h"
#include "engine/SyncRun.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/PathCodec.h"
#include "platform/SystemInfo.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <clocale>

#include <unistd.h>

namespace sync_run_test {

inline const QDateTime Old(QDate(2025, 1, 1), QTime(10, 0, 0));
inline const QDateTime New(QDate(2025, 6, 1), QTime(10, 0, 0));

class SyncRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_TIME, "C");
        SetHost(&host);
        SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
        Settings().LogToFile = true;
        Settings().LogfilesFolder = logs.Path();
        Clock::SetNowForTests([] { return QDateTime(QDate(2026, 4, 2), QTime(9, 0, 0)); });
        CurrentProfile().ProfilePath = QStringLiteral("/profiles/test.tdp");
        SetOptions({true, true, false, false, false});
        SetRefreshCompare([this] { ++refreshes; Compare(); });
        Plant(outside, {"f.txt=outside, never to be touched", "keep/deep.txt=deep outside"});
    }
    void TearDown() override {
        SetRefreshCompare({});
        Settings().LanguageName.clear();
        ReloadLocalizer();
        SetProgramFolderForTests(QString());
        SetHost(nullptr);
    }

    static void SetOptions(std::array<bool, 5> options) { CurrentProfile().profile.View.SyncOptions = options; }

    // The program's own compare of the two trees (every row in the view) or of these pairs.
    CompareRunResult Compare() {
        CurrentProfile().profile.View.ShowEmptyFolders = true;
        return ComparePairs({Pair(left.Path(), right.Path(), deleteMasks_)});
    }
    CompareRunResult ComparePairs(const QList<FolderPair>& pairs) {
        CurrentProfile().profile.Pairs = pairs;
        CurrentProfile().profile.Options.TimeLag = 2.0 / 86400;
        const CompareRunResult result = CompareRun(CurrentProfile().profile, files);
        EXPECT_EQ(result.outcome, CompareOutcome::Done);
        return result;
    }
    static FolderPair Pair(const QString& leftRoot, const QString& rightRoot, const QString& deleteMasks = QString()) {
        FolderPair pair;
        pair.Dir = {leftRoot, rightRoot};
        pair.Mask[MaskIncludeDirs] = pair.Mask[MaskIncludeFiles] = QStringLiteral("*");
        pair.Mask[MaskDeleteFiles] = deleteMasks;
        return pair;
    }
    // The plan of the Synchronize button with the profile's options, and the run of that plan.
    RunPlan SyncPlan() const {
        RunRequest request;
        request.kind = RunRequest::Kind::Synchronize;
        request.options = CurrentProfile().profile.View.SyncOptions;
        return PlanRun(files, request);
    }
    bool Sync() { return SyncRun(files, SyncPlan()); }
public:
    // "d/" a folder, "a.txt" a file holding its own path, "a.txt=text" one holding text, at New when
    // it begins with "new", else at Old (equal texts compare equal); "x*12" x01.txt ... x12.txt.
    static void Plant(TempTree& tree, const QStringList& entries) {
        for (const QString& entry : entries) {
            const qsizetype star = entry.indexOf(QLatin1Char('*'));
            if (star >= 0) {
                for (int i = 1; i <= entry.mid(star + 1).toInt(); ++i)
                    Plant(tree, {entry.left(star) + QStringLiteral("%1.txt").arg(i, 2, 10, QLatin1Char('0'))});
            } else if (entry.endsWith(QLatin1Char('/'))) {
                tree.Folder(entry.chopped(1));
            } else {
                const qsizetype eq = entry.indexOf(QLatin1Char('='));
                const QByteArray text = (eq < 0 ? entry : entry.mid(eq + 1)).toUtf8();
                tree.File(entry.left(eq), text, text.startsWith("new") ? New : Old);
            }
        }
    }
    // What a tree holds, in the same form (sorted; no counted runs).
    static QStringList Contents(const TempTree& tree) {
        QStringList out;
        for (const QString& entry : tree.List())
            out << (entry.endsWith('/') || tree.Read(entry) == entry.toUtf8() ? entry : entry + '=' + QString::fromUtf8(tree.Read(entry)));
        return out;
    }
    // Empties a tree for the next case of a table, and forgets the last run.
    static void Clear(TempTree& tree) {
        QDir(tree.Path()).removeRecursively();
        QDir().mkpath(tree.Path());
        ResetRunState();
    }
    // Both trees made anew, as at a first run: nothing remembered of the trees before.
    void ClearBoth() {
        Clear(left);
        Clear(right);
        QDir(env.ConfigHome() + QStringLiteral("/state")).removeRecursively();
    }
    static void Link(const QString& target, const QString& at) {
        ASSERT_EQ(::symlink(PathCodec::Encode(target).constData(), PathCodec::Encode(at).constData()), 0);
    }
protected:
    // Everything outside the roots is as it was, byte for byte.
    void ExpectOutsideUntouched() const {
        EXPECT_EQ(Contents(outside), QStringList({"f.txt=outside, never to be touched", "keep/", "keep/deep.txt=deep outside"}));
        EXPECT_EQ(outside.Modified(QStringLiteral("f.txt")), Old);
    }

    static QString LastErrorMsg() { return ReadUserRegistryValue("Flags", "LastErrorMsg", QString()).toString(); }
    // A log line as the test's clock stamps it, and the lines of today's log.
    static QString Stamped(const QString& text) { return QStringLiteral("2026-04-02 09:00:00\t") + text; }
    static QString StartLine() { return Stamped(QStringLiteral("Start\t/profiles/test.tdp")); }
    static QString EndLine() { return Stamped(QStringLiteral("End\t/profiles/test.tdp")); }
    QStringList LogLines() const { return QString::fromUtf8(logs.Read("20260402.log")).split("\r\n", Qt::SkipEmptyParts); }
    // How many log lines report the error number err.
    int LoggedErrors(int err) const { return int(LogLines().filter(QRegularExpression(QString("^[^\t]*\t%1\t").arg(err))).size()); }

    IsolatedEnvironment env;
    HeadlessRunHost host;
    TempTree left, right, logs, outside;
    FileView files;
    QString deleteMasks_;
    int refreshes = 0;
};

}  // namespace sync_run_test
