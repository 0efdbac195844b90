// What an unattended run tells: log lines that keep their fields whatever the names hold, a root
// that cannot be used reported as such, and standard error that says when the log itself failed.

#include "UnattendedRunFixture.h"

#include <QFile>


namespace {

const QDateTime kOld(QDate(2026, 1, 1), QTime(10, 0));

// The fields of each log line, the line read byte for byte: only CR LF ends a line.
QList<QStringList> LogFields(const QByteArray& log) {
    QList<QStringList> lines;
    for (const QByteArray& line : log.split('\n')) {
        if (line.isEmpty()) continue;
        EXPECT_TRUE(line.endsWith('\r')) << line.constData();
        EXPECT_FALSE(line.chopped(1).contains('\r')) << line.constData();
        lines << QString::fromUtf8(line.chopped(1)).split(QLatin1Char('\t'));
    }
    return lines;
}

}  // namespace

TEST_F(UnattendedRun, NamesWithLineBreaksTabsAndBackslashesKeepTheLogsFields) {
    WriteSettings("LogChanges=1\r\n");
    tree.File(QStringLiteral("L/new\nline.txt"), "a", kOld);
    tree.File(QStringLiteral("L/tab\there\\back.txt"), "b", kOld);
    // A folder against a file of the same name: an error line that names the path.
    tree.File(QStringLiteral("L/box\r\nx/inside.txt"), "c", kOld);
    tree.File(QStringLiteral("R/box\r\nx"), "a file", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");

    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.standardError);
    EXPECT_EQ(tree.Read(QStringLiteral("R/new\nline.txt")), QByteArray("a"));

    QFile file(TodaysLogPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QStringList> lines = LogFields(file.readAll());
    const QString right = tree.Path(QStringLiteral("R/"));
    QStringList logged;
    for (const QStringList& fields : lines) {
        logged << fields.mid(1).join(QLatin1Char('|'));
        // Start and End: time, word, profile. A copy: time, word, source, destination. An
        // error: time, number, text, path.
        const bool runLine = fields.value(1) == QLatin1String("Start") || fields.value(1) == QLatin1String("End");
        EXPECT_EQ(fields.size(), runLine ? 3 : 4) << qPrintable(logged.last());
    }
    const QString all = logged.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(right + QStringLiteral("new\\nline.txt"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(right + QStringLiteral("tab\\there\\\\back.txt"))) << qPrintable(all);
    EXPECT_TRUE(all.contains(right + QStringLiteral("box\\r\\nx"))) << qPrintable(all);
}

TEST_F(UnattendedRun, AnUnusableRootWithAutoCreateIsARootThatCannotBeRead) {
    WriteSettings();
    // Something of the root's name that is no folder: AutoCreate cannot make the folder there.
    const struct {
        const char* base;
        void (*make)(TempTree& tree);
    } cases[] = {
        {"dangling-link",
         [](TempTree& t) {
             ASSERT_TRUE(QFile::link(t.Path(QStringLiteral("dangling-link/gone")), t.Path(QStringLiteral("dangling-link/R"))));
         }},
        {"file", [](TempTree& t) { t.File(QStringLiteral("file/R"), "a file"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        const QString base = QString::fromLatin1(c.base) + QLatin1Char('/');
        QFile::remove(configHome.path() + QStringLiteral("/Tandor/user.reg"));  // no error of the case before
        tree.File(base + QStringLiteral("L/a.txt"), "a", kOld);
        c.make(tree);
        const QString profile = WriteProfilePairs(
            {PairSection(tree.Path(base + QStringLiteral("L")), tree.Path(base + QStringLiteral("R")), "DA=1\r\n")},
            "10000");
        const ProgramRun run = StartUnattended(profile);
        EXPECT_EQ(run.exitCode, 2) << qPrintable(run.standardError);
        EXPECT_TRUE(run.standardError.contains(QStringLiteral("cannot be read"))) << qPrintable(run.standardError);
        EXPECT_TRUE(UserValue("LastErrorMsg").contains(tree.Path(base + QStringLiteral("R")))) << qPrintable(UserStore());
        EXPECT_FALSE(tree.Exists(base + QStringLiteral("gone")));
        EXPECT_FALSE(QFileInfo(tree.Path(base + QStringLiteral("R"))).isDir());
    }
}

TEST_F(UnattendedRun, ALogThatCannotBeWrittenIsSaidOnStandardError) {
    WriteSettings();
    // A file where the log folder should be: no line can be written, not even by root.
    ASSERT_TRUE(QDir(LogFolder()).removeRecursively());
    tree.File(QStringLiteral("logs-file"), "not a folder");
    ASSERT_TRUE(QFile::rename(tree.Path(QStringLiteral("logs-file")), LogFolder()));
    tree.File(QStringLiteral("L/box/inside.txt"), "x", kOld);
    tree.File(QStringLiteral("R/box"), "a file, not a folder", kOld);
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");

    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.standardError);
    EXPECT_TRUE(run.standardError.contains(QStringLiteral("the log file could not be written: ") + LogFolder() +
                                           QStringLiteral(": Not a directory")))
        << qPrintable(run.standardError);
    EXPECT_FALSE(run.standardError.contains(QStringLiteral("see the log file"))) << qPrintable(run.standardError);
}
