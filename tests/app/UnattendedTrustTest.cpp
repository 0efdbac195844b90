// The unattended run where a machine's life interferes: a run that was killed before, and a run
// that must stop at its first error. Run as an ordinary user where it matters (root reads and
// writes past every file mode).

#include "UnattendedRunFixture.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TreeQueries.h"

#include <QRegularExpression>
#include <QStandardPaths>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QDateTime kOld(QDate(2026, 1, 1), QTime(10, 0));
const QDateTime kNew(QDate(2026, 6, 1), QTime(10, 0));

// Replaces destination with source as a run would, and kills the process (SIGKILL) once the
// data is written and before the new file takes the old one's place. Returns the temporary file
// the killed copy leaves.
QString LeaveKilledCopy(const QString& source, const QString& destination) {
    const QString folder = QFileInfo(destination).path();
    const QStringList before = Temporaries(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        FileSystem::CopyFile(source, destination, [](int64_t, int64_t) { ::raise(SIGKILL); }, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    QStringList left = Temporaries(folder);
    for (const QString& name : before) left.removeAll(name);
    EXPECT_EQ(left.size(), 1);
    return left.value(0);
}

}  // namespace

TEST_F(UnattendedRun, AKilledRunsTemporariesAreRemovedWhereTheNextRunWritesAndNeverCopied) {
    WriteSettings();
    tree.File(QStringLiteral("L/doc.bin"), QByteArray(3 << 20, 'n'), kNew);
    tree.File(QStringLiteral("R/doc.bin"), "old", kOld);
    tree.File(QStringLiteral("L/notes.txt"), "notes", kOld);
    tree.File(QStringLiteral("R/notes.txt"), "notes", kOld);
    const QString seed = tree.File(QStringLiteral("seed.bin"), QByteArray(1 << 20, 's'));
    const QString left = tree.Path(QStringLiteral("L")), right = tree.Path(QStringLiteral("R"));
    const QString leftTemporary = LeaveKilledCopy(seed, left + QStringLiteral("/notes.txt"));
    // In a container every run is pid 1: the leftover names a process that is running.
    const QString rightTemporary = QStringLiteral(".~tandor-1-7-doc.bin.tmp");
    ASSERT_TRUE(QFile::rename(right + QLatin1Char('/') + LeaveKilledCopy(left + QStringLiteral("/doc.bin"), right + QStringLiteral("/doc.bin")),
                              right + QLatin1Char('/') + rightTemporary));

    // A compare alone removes nothing.
    const QByteArray pair = "S=" + left.toUtf8() + "\r\nD=" + right.toUtf8() + "\r\nIS=*\r\nIF=*\r\n";  // no delete mask
    const QString oneWay = WriteProfilePairs({pair}, "10000");
    EXPECT_EQ(Start({oneWay, QStringLiteral("-hide")}).exitCode, 0);
    EXPECT_EQ(Temporaries(right), QStringList{rightTemporary});

    // Left to right writes on the right only: the left's leftover stays, hidden, and is not copied.
    ProgramRun run = StartUnattended(oneWay);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    EXPECT_EQ(Temporaries(right), QStringList());
    EXPECT_EQ(Temporaries(left), QStringList{leftTemporary});
    EXPECT_EQ(tree.Read(QStringLiteral("R/doc.bin")), tree.Read(QStringLiteral("L/doc.bin")));
    const QStringList removedLines = LogLines().filter(QStringLiteral("left by an interrupted copy were removed"));
    ASSERT_EQ(removedLines.size(), 1) << qPrintable(TodaysLog());
    EXPECT_TRUE(removedLines[0].contains(QStringLiteral("\t1 temporary file(s)"))) << qPrintable(removedLines[0]);
    EXPECT_TRUE(removedLines[0].endsWith(QLatin1Char('\t') + right + QLatin1Char('/'))) << qPrintable(removedLines[0]);

    // Both ways write on both sides.
    EXPECT_EQ(StartUnattended(WriteProfilePairs({pair}, "11000")).exitCode, 0);
    EXPECT_EQ(Temporaries(left), QStringList());
    EXPECT_EQ(Temporaries(right), QStringList());
    EXPECT_EQ(tree.Read(QStringLiteral("L/notes.txt")), QByteArray("notes"));
}

TEST_F(UnattendedRun, CancelAfterErrorUnattendedBeginsNoCopyAfterTheFirstFailure) {
    const bool root = ::geteuid() == 0;
    if (root && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP() << "setpriv is needed to run as an ordinary user";
    WriteSettings("CancelAfterErrorUnattended=1\r\n");
    constexpr int kFiles = 100;
    for (int i = 0; i < kFiles; ++i) tree.File(QStringLiteral("L/a/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), "x", kOld);
    tree.Folder(QStringLiteral("R/a"));
    const QString profile = WriteProfile(tree.Path(QStringLiteral("L")), tree.Path(QStringLiteral("R")), "10000");
    extraEnvironment = {{QStringLiteral("HOME"), scratch.path()}};
    if (root) {  // everything belongs to the ordinary user who runs the program
        for (const QString& top : {tree.Path(), configHome.path(), scratch.path()}) {
            QProcess chown;
            chown.start(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534:65534"), top});
            ASSERT_TRUE(chown.waitForFinished());
        }
        launcher = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                    QStringLiteral("--clear-groups")};
    }
    // The first file of the walk cannot be read: its copy fails.
    ASSERT_EQ(::chmod(PathCodec::Encode(tree.Path(QStringLiteral("L/a/f000.txt"))).constData(), 0), 0);

    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.standardError);
    const int copied = static_cast<int>(QDir(tree.Path(QStringLiteral("R/a"))).entryList(QDir::Files).size());
    EXPECT_LE(copied, 2);  // at most the copies the other worker began while the first one failed
    EXPECT_FALSE(tree.Exists(QStringLiteral("R/a/f000.txt")));
    const QStringList stopLines = LogLines().filter(QStringLiteral("stopped at its first error"));
    ASSERT_EQ(stopLines.size(), 1) << qPrintable(TodaysLog());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("\\b(\\d+) planned copies were left undone")).match(stopLines[0]);
    ASSERT_TRUE(m.hasMatch()) << qPrintable(stopLines[0]);
    // Neither counted as copied nor as failed: every planned copy is one of the three.
    EXPECT_EQ(m.captured(1).toInt(), kFiles - 1 - copied);
    EXPECT_EQ(LogLines().filter(QStringLiteral("f000.txt")).size(), 1);
    EXPECT_TRUE(LogLines().last().contains(QStringLiteral("\tEnd\t")));
}
