// Every way an unattended start can go, each case one start (or two) of the real program: the
// tree before, the profile and switches, and what must come out: the exit status, the tree
// after, standard output and error, the log lines and the values left in the user's store.
// Cases run without a display; those marked run again on a display (where a modal window would
// wait for a click) and as an ordinary user (root reads and writes past every file mode).

#include "UnattendedRunFixture.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QStandardPaths>

#include <algorithm>

#include <unistd.h>

namespace {

const QDateTime kOld(QDate(2026, 1, 1), QTime(10, 0));
const QDateTime kNew(QDate(2026, 6, 1), QTime(10, 0));

enum Mode { kPlain = 1, kDisplay = 2, kUser = 4 };
struct Pair {
    const char* left;  // below the tree; "~" and what follows: the text as it stands
    const char* right;
    const char* more = "";
};
using Pairs = QList<QPair<const char*, const char*>>;

// Trees: "path/" a folder, "path=content" a file of 2026-01-01 ("@new" at the end: of
// 2026-06-01), "path->target" a link. In texts "{}" is the tree, "{profile}" the profile,
// "{config}" the settings home. Expected texts: "!" first means nowhere; in log lines the
// pieces between "…" stand in that order in one line.
struct RunCase {
    const char* name;
    int modes = kPlain;
    const char* settings = "";  // more [General] keys; nullptr: no settings file
    bool earlierError = false;  // the store holds an error of an earlier run
    const char* logFolder = nullptr;  // below the tree; the settings home's when null
    const char* locale = nullptr;
    Pairs tools = {};  // stand-in programs first in PATH (gio always: no case reaches a share)
    Pairs env = {};
    QStringList before = {};
    QList<Pair> pairs = {{"L", "R"}};
    const char* profileText = nullptr;  // instead of the pairs
    const char* sync = "10000";
    QStringList args = {"{profile}", "-auto", "-dontask", "-hide"};
    int runs = 1;
    int exit = 0;
    QStringList after = {};  // empty: not checked; {"="}: as before
    QStringList out = {};  // empty: nothing on standard output
    QStringList err = {};
    QStringList log = {};
    int logLines = -1;
    Pairs files = {};  // a file below the tree (or "{config}/...") and a text it holds
    Pairs values = {};  // a value of the store: "" empty, "?" any text, else a text it holds
    bool writesNothing = false;
};

const QStringList kMassTree{"L/keep.txt=keep", "R/keep.txt=keep", "R/old/1.txt=1", "R/old/2.txt=2", "R/old/3.txt=3",
                            "R/old/4.txt=4", "R/old/5.txt=5", "R/old/6.txt=6", "R/old/7.txt=7", "R/old/8.txt=8",
                            "R/old/9.txt=9", "R/old/10.txt=10", "R/old/11.txt=11", "R/old/12.txt=12"};
const QStringList kLeftToRight{"L/", "L/a.txt=a", "R/", "R/a.txt=a"};
const Pairs kRegisterEnv{{"XDG_DATA_HOME", "{}/data"}, {"XDG_DATA_DIRS", "{}/system"}};

const RunCase kCases[] = {
    // Runs that do what the rows say, and only that.
    {.name = "BothWaysWithDeleteMask", .modes = kPlain | kDisplay | kUser,
     .before = {"L/a.txt=new left@new", "R/a.txt=old", "R/b.txt=new right@new", "L/b.txt=old",
                "L/sub/only left.txt=left only", "R/deep/er/only right.txt=right only", "L/scratch.tmp=to delete"},
     .sync = "11000",
     .after = {"L/", "L/a.txt=new left@new", "L/b.txt=new right@new", "L/deep/", "L/deep/er/",
               "L/deep/er/only right.txt=right only", "L/sub/", "L/sub/only left.txt=left only", "R/",
               "R/a.txt=new left@new", "R/b.txt=new right@new", "R/deep/", "R/deep/er/",
               "R/deep/er/only right.txt=right only", "R/sub/", "R/sub/only left.txt=left only"},
     .log = {"\tStart\t{profile}", "\tEnd\t{profile}"}, .logLines = 2},
    {.name = "DoubleDashSwitches", .before = {"L/a.txt=a", "R/"}, .args = {"{profile}", "--auto", "--dontask", "--hide"},
     .after = kLeftToRight},
    {.name = "NestedFolders", .before = {"data/a.txt=a", "data/sub/b.txt=b", "data/Backup/"},
     .pairs = {{"data", "data/Backup"}},
     .after = {"data/", "data/Backup/", "data/Backup/a.txt=a", "data/Backup/sub/", "data/Backup/sub/b.txt=b",
               "data/a.txt=a", "data/sub/", "data/sub/b.txt=b"}, .logLines = 2},
    {.name = "MirrorIntoTheFolderHoldingIt", .before = {"X/backup/archived.txt=only copy", "X/a.txt=a"},
     .pairs = {{"X/backup", "X"}}, .sync = "10001",
     .after = {"X/", "X/archived.txt=only copy", "X/backup/", "X/backup/archived.txt=only copy"}},
    {.name = "MirrorDeletesExtras", .before = {"L/same.txt=same", "R/same.txt=same", "R/extra.txt=x", "R/gone/y.txt=y"},
     .sync = "10001", .after = {"L/", "L/same.txt=same", "R/", "R/same.txt=same"}, .logLines = 2},
    {.name = "NoDirection", .before = {"L/a.txt=a", "R/"}, .sync = "00100", .after = {"="}, .logLines = 3},
    {.name = "LetterCase", .before = {"L/html/index.html=lower", "L/html/Index.html=upper", "R/html/index.html=lower"},
     .runs = 2,
     .after = {"L/", "L/html/", "L/html/Index.html=upper", "L/html/index.html=lower", "R/", "R/html/",
               "R/html/Index.html=upper", "R/html/index.html=lower"}},
    {.name = "MassDeletionAllowed", .settings = "MaxDeletePercent=100\r\n", .before = kMassTree, .sync = "10001",
     .after = {"L/", "L/keep.txt=keep", "R/", "R/keep.txt=keep"}},
    // A run that must not delete refuses before the first pair, or skips the pair it cannot do,
    // changes nothing and says why.
    {.name = "MirrorOfAMissingRootItWouldCreate", .before = {"R/a.txt=a", "R/d/b.txt=b"},
     .pairs = {{"unplugged", "R", "SA=1\r\n"}}, .sync = "10001", .exit = 1, .after = {"="},
     .log = {"{}/unplugged…{}/R"}, .logLines = 3, .values = {{"LastErrorMsg", "?"}}},
    {.name = "MassDeletion", .before = kMassTree, .sync = "10001", .exit = 2, .after = {"="}, .log = {" 12 … 13 "},
     .logLines = 3, .values = {{"LastErrorMsg", "?"}}},
    {.name = "NestedPairs", .before = {"data/a.txt=a", "data/photos/p.jpg=p", "B1/", "B2/"},
     .pairs = {{"data", "B1", "SA=1\r\n"}, {"data/photos", "B2", "SA=1\r\n"}}, .sync = "10001", .exit = 2,
     .after = {"="}, .log = {"{}/B1…{}/B2"}, .logLines = 1, .values = {{"LastErrorMsg", "?"}}},
    // A link where the other side has a folder: reported, never written through or replaced.
    {.name = "LinkOppositeAFolder", .modes = kPlain | kUser,
     .before = {"L/d/in.txt=newer, from the left@new", "outside/in.txt=precious", "R/d->{}/outside",
                "L/fine.txt=fine"},
     .sync = "11001", .exit = 1,
     .after = {"L/", "L/d/", "L/d/in.txt=newer, from the left@new", "L/fine.txt=fine", "R/", "R/d->{}/outside",
               "R/fine.txt=fine", "outside/", "outside/in.txt=precious"},
     .log = {"{}/R/d"}, .values = {{"LastErrorMsg", "{}/R/d"}}},
    // A failed copy is recorded and logged, and the rest is done.
    {.name = "AFolderOppositeAFile", .modes = kPlain | kUser,
     .before = {"L/box/inside.txt=x", "R/box=a file", "L/fine.txt=fine"}, .exit = 1,
     .after = {"L/", "L/box/", "L/box/inside.txt=x", "L/fine.txt=fine", "R/", "R/box=a file", "R/fine.txt=fine"},
     .log = {"\tStart\t", "box", "\tEnd\t"}, .values = {{"LastErrorMsg", "{}/R/box"}, {"LastErrorDate", "?"}}},
    // Names cannot add a field or a line to the log.
    {.name = "NamesWithLineBreaksTabsAndBackslashes", .settings = "LogChanges=1\r\n",
     .before = {"L/new\nline.txt=a", "L/tab\there\\back.txt=b", "L/box\r\nx/inside.txt=c", "R/box\r\nx=a file"},
     .exit = 1,
     .after = {"L/", "L/box\r\nx/", "L/box\r\nx/inside.txt=c", "L/new\nline.txt=a", "L/tab\there\\back.txt=b", "R/",
               "R/box\r\nx=a file", "R/new\nline.txt=a", "R/tab\there\\back.txt=b"},
     .log = {"{}/L/new\\nline.txt\t{}/R/new\\nline.txt", "{}/R/tab\\there\\\\back.txt", "\t{}/R/box\\r\\nx"}},
    // Nothing can run: a root that cannot be read, no pairs, a run withheld after an error.
    {.name = "ARootThatCannotBeRead", .modes = kPlain | kDisplay | kUser, .before = {"L/a.txt=a"},
     .pairs = {{"L", "gone"}}, .exit = 2, .after = {"="}, .err = {"cannot be read", "{}/gone"},
     .log = {"No such file or directory\t{}/gone"}, .logLines = 1, .values = {{"LastErrorMsg", "{}/gone"}}},
    {.name = "NoFolderPairs", .modes = kPlain | kDisplay, .profileText = "[General]\r\nLeft=Left\r\n[0]\r\nSO0=1\r\n",
     .exit = 2, .err = {"holds no folder pair", "!cannot be read"}, .log = {"holds no folder pair…\t{profile}"},
     .logLines = 1},
    {.name = "WithheldAfterAnEarlierError", .modes = kPlain | kDisplay, .settings = "DontAutoRunAfterError=1\r\n",
     .earlierError = true, .before = {"L/a.txt=a", "R/"}, .exit = 2, .after = {"="},
     .err = {"synchronization was skipped", "2026-12-01 03:00:00"}, .log = {"synchronization was skipped…\t{profile}"},
     .logLines = 1, .values = {{"LastErrorMsg", "disk full"}}},  // "-dontask": kept for the next interactive start
    // A root that is no absolute folder is never "/" nor the folder the program starts in.
    {.name = "EmptyRoot", .before = {"R/a.txt=a"}, .pairs = {{"~", "R"}}, .sync = "01000", .exit = 2, .after = {"="},
     .values = {{"LastErrorMsg", "?"}}},
    {.name = "RelativeRoot", .before = {"R/a.txt=a"}, .pairs = {{"~relative/folder", "R"}}, .sync = "01000", .exit = 2,
     .after = {"="}, .values = {{"LastErrorMsg", "?"}}},
    {.name = "UnknownLabelRoot", .before = {"R/a.txt=a"}, .pairs = {{"~NO-SUCH-LABEL/Backup", "R"}}, .sync = "01000",
     .exit = 2, .after = {"="}, .values = {{"LastErrorMsg", "?"}}},
    {.name = "UnreachableShareRoot", .before = {"R/a.txt=a"}, .pairs = {{"~//server/share/dir", "R"}}, .sync = "01000",
     .exit = 2, .after = {"="}, .values = {{"LastErrorMsg", "?"}}},
    // Something of the root's name that is no folder: AutoCreate cannot make the folder there.
    {.name = "AutoCreateOverADanglingLink", .before = {"L/a.txt=a", "R->{}/gone"}, .pairs = {{"L", "R", "DA=1\r\n"}},
     .exit = 2, .after = {"="}, .err = {"cannot be read"}, .values = {{"LastErrorMsg", "{}/R"}}},
    {.name = "AutoCreateOverAFile", .before = {"L/a.txt=a", "R=a file"}, .pairs = {{"L", "R", "DA=1\r\n"}}, .exit = 2,
     .after = {"="}, .err = {"cannot be read"}, .values = {{"LastErrorMsg", "{}/R"}}},
    // A log that cannot be written is said on standard error (a file where its folder should be
    // stops even root).
    {.name = "ALogThatCannotBeWritten", .logFolder = "logs", .before = {"logs=no folder", "L/box/in.txt=x", "R/box=file"},
     .exit = 1, .err = {"the log file could not be written: {}/logs: Not a directory", "!see the log file"}},
    // The log's time stamp keeps a four-digit year where the locale writes two (en_GB).
    {.name = "LocaleWithTwoDigitYears", .locale = "en_GB",
     .before = {"L/a.txt=a", "R/"}, .after = kLeftToRight, .logLines = 2},
    // A display that is named but gone is no display: the run goes on without windows.
    {.name = "StaleX11Display", .env = {{"DISPLAY", ":4711"}}, .before = {"L/a.txt=a", "R/"}, .after = kLeftToRight},
    {.name = "UnansweringX11Host", .env = {{"DISPLAY", "192.0.2.1:0"}}, .before = {"L/a.txt=a", "R/"},
     .after = kLeftToRight},
    {.name = "GoneWaylandSocket", .env = {{"WAYLAND_DISPLAY", "wayland-4711"}, {"XDG_RUNTIME_DIR", "{config}"}},
     .before = {"L/a.txt=a", "R/"}, .after = kLeftToRight},
    {.name = "X11PlatformWithoutDisplay", .env = {{"QT_QPA_PLATFORM", "xcb"}}, .before = {"L/a.txt=a", "R/"},
     .after = kLeftToRight},
    // Without a display and without "-hide" nothing runs, and the reason is said.
    {.name = "NoDisplayNoHide", .settings = nullptr, .args = {}, .exit = 2, .err = {"no display"}},
    {.name = "GoneDisplayNoHide", .settings = nullptr, .env = {{"DISPLAY", ":4711"}}, .args = {}, .exit = 2,
     .err = {"\":4711\" cannot be opened"}},
    // Information requests are answered at once, on the right stream, with nothing written.
    {.name = "Help", .settings = nullptr, .env = {{"LC_ALL", "C"}}, .args = {"--help"}, .out = {"Usage: tandor [PROFILE]"},
     .writesNothing = true},
    {.name = "ShortHelp", .settings = nullptr, .env = {{"LC_ALL", "C"}}, .args = {"-h"}, .out = {"  -dontask"},
     .writesNothing = true},
    {.name = "HelpAfterProfile", .settings = nullptr, .env = {{"LC_ALL", "C"}}, .args = {"/p/a.tdp", "--HELP"},
     .out = {"Exit status:"}, .writesNothing = true},
    {.name = "Version", .settings = nullptr, .env = {{"LC_ALL", "C"}}, .args = {"--version"}, .out = {"Tandor 1.0.0\n"},
     .writesNothing = true},
    {.name = "UnknownOption", .settings = nullptr, .env = {{"LC_ALL", "C"}}, .args = {"--frobnicate"}, .exit = 2,
     .err = {"Usage: tandor [PROFILE]"}, .writesNothing = true},
    // A profile path that holds those texts is a path, not a request: no display, no "-hide".
    {.name = "RequestsInsideAPath", .settings = nullptr, .env = {{"LC_ALL", "C"}},
     .args = {"/nowhere/-h --help --version/p.tdp"}, .exit = 2, .err = {"start with -hide"}, .writesNothing = true},
    // "-regclasses": the profile type reaches the user's MIME database and opens with Tandor, or
    // the failing step is named with status 1, never with the words of success.
    {.name = "RegisterClasses", .settings = nullptr, .env = kRegisterEnv, .args = {"-regclasses"},
     .err = {"Tandor has registered its file types."},
     .files = {{"data/mime/globs2", "application/x-tandor-profile:*.tdp"},
               {"data/applications/org.tandor.Tandor.desktop", "MimeType=application/x-tandor-profile;"},
               {"{config}/mimeapps.list", "application/x-tandor-profile=org.tandor.Tandor.desktop"}}},
    {.name = "RegisterClassesStepFails", .settings = nullptr,
     .tools = {{"xdg-mime", "echo 'no desktop here' >&2\nexit 4"}}, .env = kRegisterEnv, .args = {"-regclasses"},
     .exit = 1, .err = {"could not register", "exit status 4: no desktop here", "!has registered"}},
};

struct RunParam {
    const RunCase* c;
    Mode mode;
};
void PrintTo(const RunParam& p, std::ostream* os) { *os << p.c->name; }
std::vector<RunParam> AllRuns() {
    std::vector<RunParam> runs;
    for (const RunCase& c : kCases)
        for (const Mode m : {kPlain, kDisplay, kUser})
            if ((c.modes & m) && (m != kUser || ::geteuid() == 0)) runs.push_back({&c, m});
    return runs;
}

class UnattendedRuns : public UnattendedRun, public ::testing::WithParamInterface<RunParam> {
protected:
    QString profile;

    QString Sub(QString text) const {
        return text.replace(QStringLiteral("{profile}"), profile)
            .replace(QStringLiteral("{config}"), configHome.path())
            .replace(QStringLiteral("{}"), tree.Path());
    }
    // What is below the tree, in the form of the case's trees.
    QStringList Listing() const {
        QStringList out;
        QDirIterator it(tree.Path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            QString rel = info.filePath().mid(tree.Path().size() + 1);
            if (info.isSymLink()) rel += QStringLiteral("->") + info.symLinkTarget().replace(tree.Path(), QStringLiteral("{}"));
            else if (info.isDir()) rel += QLatin1Char('/');
            else rel += QLatin1Char('=') + QString::fromUtf8(tree.Read(rel)) +
                        (info.lastModified() == kNew ? QStringLiteral("@new") : QString());
            out << rel;
        }
        out.sort();
        return out;
    }
    void Build(const QStringList& entries) {
        for (const QString& e : entries) {
            if (e.endsWith(QLatin1Char('/'))) tree.Folder(e);
            else if (e.contains(QStringLiteral("->"))) tree.Link(e.section(QStringLiteral("->"), 0, 0), Sub(e.section(QStringLiteral("->"), 1)));
            else if (e.endsWith(QStringLiteral("@new"))) tree.File(e.section(u'=', 0, 0), e.section(u'=', 1).chopped(4).toUtf8(), kNew);
            else tree.File(e.section(u'=', 0, 0), e.section(u'=', 1).toUtf8(), kOld);
        }
    }
    static bool LineHas(const QString& line, const QStringList& pieces) {
        qsizetype at = 0;
        for (const QString& piece : pieces)
            if ((at = line.indexOf(piece, at)) < 0) return false;
        return true;
    }
    void Tool(const QString& name, const QByteArray& script) {
        QFile f(scratch.filePath(QStringLiteral("bin/") + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + script + "\n");
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    }
};

TEST_P(UnattendedRuns, EndsWithTheStatusTreeAndReportOfItsCase) {
    const RunCase& c = *GetParam().c;
    for (const QString& program : c.args.contains(QStringLiteral("-regclasses")) ? QStringList{"update-mime-database", "xdg-mime"} : QStringList{})
        if (QStandardPaths::findExecutable(program).isEmpty()) GTEST_SKIP() << qPrintable(program) << " is not installed";
    Build(c.before);
    if (c.logFolder) logFolder = tree.Path(QString::fromLatin1(c.logFolder));
    if (c.settings) WriteSettings(c.settings);
    if (c.earlierError) {
        QFile store(UserStorePath());
        ASSERT_TRUE(store.open(QIODevice::WriteOnly));
        store.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor\\Flags]\r\n"
                    "\"LastErrorDate\"=\"2026-12-01 03:00:00\"\r\n\"LastErrorMsg\"=\"disk full\"\r\n\r\n");
    }
    QList<QByteArray> pairs;
    const auto root = [&](const char* r) { return r[0] == '~' ? QString::fromUtf8(r + 1) : tree.Path(QString::fromUtf8(r)); };
    for (const Pair& p : c.pairs) pairs << PairSection(root(p.left), root(p.right), p.more);
    profile = WriteProfilePairs(pairs, c.sync);
    if (c.profileText) {
        QFile f(profile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.profileText);
    }
    // A gio that cannot mount, and a working folder that must stay empty.
    QDir(scratch.path()).mkpath(QStringLiteral("bin"));
    Tool(QStringLiteral("gio"), "cat > /dev/null\nexit 2");
    for (const auto& [name, script] : c.tools) Tool(QString::fromLatin1(name), script);
    pathPrefix = scratch.filePath(QStringLiteral("bin"));
    workingDirectory = scratch.filePath(QStringLiteral("cwd"));
    QDir().mkpath(workingDirectory);
    for (const auto& [name, value] : c.env) extraEnvironment << qMakePair(QString::fromLatin1(name), Sub(QString::fromUtf8(value)));
    if (c.locale) {
        // Compiled into a folder of the test's own: the machine's installed locales do not matter.
        const QString locales = scratch.filePath(QStringLiteral("locales"));
        QDir().mkpath(locales);
        const QString name = QString::fromLatin1(c.locale) + QStringLiteral(".UTF-8");
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"), {"-i", QString::fromLatin1(c.locale), "-f", "UTF-8", locales + u'/' + name});
        if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0) GTEST_SKIP() << "no locale " << c.locale;
        extraEnvironment << qMakePair(QStringLiteral("LOCPATH"), locales) << qMakePair(QStringLiteral("LC_ALL"), name);
    }
    bool offscreen = false;
    if (GetParam().mode == kDisplay) {
        // A virtual X server where there is one: the program starts its real window classes.
        // timeout ends the whole group (xvfb-run, the server, the program) should it hang.
        offscreen = QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty();
        if (!offscreen) launcher = {"timeout", "-k", "5", "45", "xvfb-run", "-a"};
    }
    if (GetParam().mode == kUser) {
        for (const QString& top : {tree.Path(), configHome.path(), scratch.path()}) {
            QProcess chown;
            chown.start(QStringLiteral("chown"), {"-R", "65534:65534", top});
            ASSERT_TRUE(chown.waitForFinished() && chown.exitCode() == 0);
        }
        launcher = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        extraEnvironment << qMakePair(QStringLiteral("HOME"), scratch.path());
    }
    const QStringList before = Listing();
    const QStringList rootFolder = QDir(QStringLiteral("/")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QStringList args;
    for (const QString& a : c.args) args << Sub(a);

    for (int n = 0; n < c.runs; ++n) {
        QElapsedTimer took;
        took.start();
        const ProgramRun run = Start(args, offscreen);
        EXPECT_LT(took.elapsed(), 30000);
        EXPECT_EQ(run.exitCode, c.exit) << qPrintable(run.standardError);
        for (const QString& text : c.err)
            EXPECT_EQ(run.standardError.contains(Sub(text.mid(text.startsWith(u'!')))), !text.startsWith(u'!'))
                << qPrintable(text) << " in " << qPrintable(run.standardError);
        if (c.out.isEmpty()) {
            EXPECT_EQ(run.standardOutput, QString());
        }
        for (const QString& text : c.out) EXPECT_TRUE(run.standardOutput.contains(text)) << qPrintable(run.standardOutput);
        EXPECT_EQ(QDir(workingDirectory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        EXPECT_EQ(QDir(QStringLiteral("/")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), rootFolder);
    }

    if (!c.after.isEmpty()) {
        EXPECT_EQ(Listing(), c.after == QStringList{QStringLiteral("=")} ? before : c.after);
    }
    const QStringList lines = LogLines();
    if (c.logLines >= 0) {
        EXPECT_EQ(lines.size(), c.logLines) << qPrintable(TodaysLog());
    }
    for (const QString& line : lines) {
        // Only CR LF ends a line; the stamp keeps the year whole (the day may have just turned).
        EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n')) << qPrintable(line);
        const QString stamp = line.section(u'\t', 0, 0);
        EXPECT_TRUE(stamp.contains(QString::number(QDate::currentDate().addDays(-1).year())) ||
                    stamp.contains(QString::number(QDate::currentDate().year())))
            << qPrintable(line);
    }
    for (const QString& text : c.log) {
        const bool nowhere = text.startsWith(u'!');
        const QStringList pieces = Sub(text.mid(nowhere)).split(QStringLiteral("…"));
        EXPECT_EQ(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return LineHas(l, pieces); }), !nowhere)
            << qPrintable(text) << " in\n" << qPrintable(TodaysLog());
    }
    for (const auto& [path, text] : c.files) {
        QFile f(Sub(QString::fromUtf8(path)).startsWith(u'/') ? Sub(QString::fromUtf8(path)) : tree.Path(QString::fromUtf8(path)));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll().contains(text)) << path;
    }
    for (const auto& [name, text] : c.values) {
        const QString value = UserValue(name), wanted = Sub(QString::fromUtf8(text));
        if (wanted.isEmpty()) EXPECT_EQ(value, QString()) << name;
        else EXPECT_TRUE(wanted == u"?" ? !value.isEmpty() : value.contains(wanted)) << name << ": " << qPrintable(value);
    }
    // Success leaves no error behind.
    if (c.exit == 0 && !c.earlierError) {
        EXPECT_EQ(UserValue("LastErrorMsg"), QString());
    }
    if (c.writesNothing) {
        EXPECT_FALSE(QFileInfo::exists(configHome.path() + QStringLiteral("/Tandor")));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UnattendedRuns, ::testing::ValuesIn(AllRuns()),
                         [](const ::testing::TestParamInfo<RunParam>& p) {
                             const char* mode = p.param.mode == kPlain ? "" : p.param.mode == kDisplay ? "_OnADisplay" : "_AsAnOrdinaryUser";
                             return std::string(p.param.c->name) + mode;
                         });

}  // namespace

TEST_F(UnattendedRun, HiddenStartWithoutProfileCopiesTheTemplateCountsTheRunsAndExits2) {
    for (int n = 0; n < 2; ++n) {
        const ProgramRun run = Start({QStringLiteral("-hide")});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.standardError.contains(QStringLiteral("profile"))) << qPrintable(run.standardError);
    }
    QFile tmpl(QStringLiteral(TANDOR_DATA_DIR "/Tandor.ini")), copied(SettingsFile());
    ASSERT_TRUE(tmpl.open(QIODevice::ReadOnly) && copied.open(QIODevice::ReadOnly)) << "the template was not copied";
    EXPECT_EQ(copied.readAll(), tmpl.readAll());
    EXPECT_EQ(UserValue("Runs"), QStringLiteral("2"));
}
