// The single-item operations on rows of a real compare, and the one error report.

#include "CompareRunFixture.h"

#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/FileOperations.h"
#include "engine/SyncJob.h"
#include "platform/Clock.h"
#include "platform/PathCodec.h"
#include "support/FailingDevice.h"
#include "support/TreeQueries.h"

#include <clocale>

#include <sys/stat.h>

namespace {

using Point = FailingDevice::Point;

mode_t ModeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(PathCodec::Encode(path).constData(), &st), 0) << qPrintable(path);
    return st.st_mode & 07777;
}

bool HasArchive(const QString& path) { return (FileSystem::GetAttributes(path) & Attr::Archive) != 0; }

// A compare of the trees left and right (logging to logs, at a fixed time), and a job over its
// rows as a synchronisation would run it.
class FileOperationsTest : public CompareRunTest {
protected:
    void SetUp() override {
        CompareRunTest::SetUp();
        std::setlocale(LC_TIME, "C");
        Settings().LogToFile = true;
        Settings().LogfilesFolder = logs.Path();
        Clock::SetNowForTests([] { return QDateTime(QDate(2026, 3, 1), QTime(8, 30, 0)); });
        AddPair(left.Path(), right.Path());
    }

    // Compares, then the row of the view whose entry on the left (else the right) is name.
    int RowOf(const QString& name) {
        EXPECT_EQ(Compare().outcome, CompareOutcome::Done);
        for (size_t i = 1; i < view_.ViewList.size(); ++i)
            if (view_.ViewList[i].Name[0] == name || (view_.ViewList[i].Name[0].isEmpty() && view_.ViewList[i].Name[1] == name))
                return static_cast<int>(i);
        ADD_FAILURE() << "no row " << qPrintable(name);
        return 0;
    }
    QByteArray Log() const { return logs.Read(QStringLiteral("20260301.log")); }
    QByteArray LoggedError(int err) const { return "2026-03-01 08:30:00\t" + QByteArray::number(err) + "\t"; }

    TempTree left, right, logs;
    SyncJob job{view_.ViewList, host_, ::Run().CancelRequested};
};

// ---- one copy from left to right ----

struct CopyCase {
    const char* what;
    const char* name;  // on the left
    QByteArray data;
    mode_t mode = 0644;
    const char* old = nullptr;  // the right side's file before the compare, with its data "old"
    mode_t oldMode = 0644;
    const char* foldsCase = "";  // "l" or "r": the side whose folder folds letter case
    const char* appears = "";    // a file that appears on the right after the compare
    // The profile's archive switches: reset on the source, on the destination; the side that is
    // the medium ("l" or "r"), whose switches win.
    bool resetSource = false, resetDestination = false;
    const char* medium = "";
    bool ignoreLocked = false;
    Point point = Point::Create;
    int fault = 0;  // the system's answer at point on the destination; 0 none
    // What is there afterwards: the right side's files as "name=data", the destination's mode,
    // the archive marks, the error logged (0 none).
    QStringList after;
    mode_t destinationMode = 0;
    bool sourceArchive = true, destinationArchive = true;
    int logged = 0;
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.what; }

class FileOperationsCopyTest : public FileOperationsTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(FileOperationsCopyTest, CopiesOrKeepsTheDestinationWhole) {
    const CopyCase& c = GetParam();
    const QString source = left.File(c.name, c.data);
    ASSERT_EQ(::chmod(PathCodec::Encode(source).constData(), c.mode), 0);
    if (c.old) {
        ASSERT_EQ(::chmod(PathCodec::Encode(right.File(c.old, "old")).constData(), c.oldMode), 0);
    }
    if (*c.foldsCase) FileSystem::SetCaseFoldingFoldersForTests({*c.foldsCase == 'l' ? left.Path() : right.Path()});
    const int row = RowOf(c.name);
    if (*c.appears) right.File(c.appears, "appeared");
    Settings().IgnoreLockedFiles = c.ignoreLocked;
    Switches().DontAsk = c.fault != 0 || c.logged != 0;  // a failure is not asked about
    ProfileOptions& options = CurrentProfile().profile.Options;
    options.ResetArchiveAttrSource = c.resetSource;
    options.ResetArchiveAttrDest = c.resetDestination;
    options.SynchMedium = {*c.medium == 'l', *c.medium == 'r'};
    SetArchiveSwitches(job, 0);
    {
        FailingDevice device;
        if (c.fault) device.Fail(c.point, c.name, c.fault);
        CopyOneFile(job, 0, row);
    }
    QStringList after;
    for (const QString& f : right.List()) after << f + "=" + right.Read(f);
    EXPECT_EQ(after, c.after);
    EXPECT_TRUE(Temporaries(right.Path()).isEmpty());
    EXPECT_EQ(ModeOf(source), c.mode);  // a reset of the source's archive mark keeps its mode
    EXPECT_EQ(HasArchive(source), c.sourceArchive);
    const QString destination = right.Path(c.old ? c.old : c.name);
    if (c.destinationMode) {
        EXPECT_EQ(ModeOf(destination), c.destinationMode);
        EXPECT_EQ(HasArchive(destination), c.destinationArchive);
    }
    EXPECT_EQ(::Run().ErrorReported, c.logged != 0);
    EXPECT_TRUE(c.logged ? Log().startsWith(LoggedError(c.logged)) : Log().isEmpty()) << Log().constData();
    EXPECT_EQ(host_.progressDone, Switches().DontAsk ? 0 : c.data.size());  // no progress shown unattended
}

// Run also as an ordinary user: root may write the mark of any file.
INSTANTIATE_TEST_SUITE_P(
    Cases, FileOperationsCopyTest,
    ::testing::Values(
        CopyCase{.what = "OverAHiddenReadOnlyDestinationTakesTheSourcesAttributes", .name = ".cfg",
                 .data = "new contents", .mode = 0640, .old = ".cfg", .oldMode = 0444, .resetDestination = true,
                 .after = {".cfg=new contents"}, .destinationMode = 0640, .destinationArchive = false},
        CopyCase{.what = "ResetOfTheSourceLeavesTheNewFileMarked", .name = "a.txt", .data = "a", .resetSource = true,
                 .after = {"a.txt=a"}, .destinationMode = 0644, .sourceArchive = false},
        CopyCase{.what = "FromTheMediumBothLoseTheirMark", .name = "a.txt", .data = "a", .medium = "l",
                 .after = {"a.txt=a"}, .destinationMode = 0644, .sourceArchive = false, .destinationArchive = false},
        CopyCase{.what = "ToTheMediumOnlyTheSourceLosesItsMark", .name = "a.txt", .data = "a", .resetDestination = true,
                 .medium = "r", .after = {"a.txt=a"}, .destinationMode = 0644, .sourceArchive = false},
        CopyCase{.what = "ResetsOfAReadOnlySource", .name = "ro.txt", .data = "read-only", .mode = 0444,
                 .resetSource = true, .resetDestination = true, .after = {"ro.txt=read-only"},
                 .destinationMode = 0444, .sourceArchive = false, .destinationArchive = false},
        // A copy that failed on a file in use, with that error ignored, did not happen: the
        // source keeps its "not yet backed up" mark for the next run.
        CopyCase{.what = "AnIgnoredLockedFileKeepsItsArchiveMark", .name = "busy.db", .data = "new", .old = "busy.db",
                 .resetSource = true, .ignoreLocked = true, .fault = ETXTBSY, .after = {"busy.db=old"}},
        CopyCase{.what = "AFailedWriteKeepsTheOldDestination", .name = "big.bin", .data = "new version",
                 .old = "big.bin", .resetSource = true, .point = Point::Data, .fault = ENOSPC,
                 .after = {"big.bin=old"}, .logged = ENOSPC},
        // Where the destination folds case, a name that differs only in case and appeared since
        // the compare is another file: never written over.
        CopyCase{.what = "AFoldingDestinationNeverWritesOverAnotherFileDifferingInCase", .name = "a.txt",
                 .data = "left a", .foldsCase = "r", .appears = "A.txt", .after = {"A.txt=appeared"},
                 .logged = EEXIST},
        CopyCase{.what = "ACaseKeepingDestinationKeepsAFileDifferingInCaseBeside", .name = "a.txt",
                 .data = "left a", .old = "A.txt", .after = {"A.txt=old", "a.txt=left a"}},
        CopyCase{.what = "AMatchedCaseVariantIsReplacedInPlace", .name = "Readme.TXT", .data = "new text",
                 .old = "README.txt", .foldsCase = "r", .after = {"README.txt=new text"}}),
    [](const ::testing::TestParamInfo<CopyCase>& p) { return std::string(p.param.what); });

TEST_F(FileOperationsTest, AVanishedSourceIsAskedAboutLoggedAndStillAdvancesTheProgress) {
    left.File("gone.txt", "abc");
    const int row = RowOf("gone.txt");
    ASSERT_TRUE(QFile::remove(left.Path("gone.txt")));
    host_.queuedAnswers = {MsgBox::OK};
    job.resetSource = true;
    CopyOneFile(job, 0, row);
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_FALSE(::Run().CancelRequested);
    EXPECT_FALSE(right.Exists("gone.txt"));
    ASSERT_EQ(host_.messagesShown.size(), 1);
    // The question says which copy failed, both paths, and what its buttons do.
    const QString& asked = host_.messagesShown[0];
    EXPECT_TRUE(asked.startsWith("T1282:\nNo such file or directory\nT812\n" + left.Path("gone.txt") + "\n\nT813\n")) << qPrintable(asked);
    EXPECT_TRUE(asked.contains(right.Path("gone.txt")));
    EXPECT_TRUE(asked.endsWith("\n\nT1284")) << qPrintable(asked);
    EXPECT_EQ(Log(), (LoggedError(ENOENT) + "No such file or directory\t" + left.Path("gone.txt").toUtf8() + "\t" +
                      right.Path("gone.txt").toUtf8() + "\r\n"));
    EXPECT_EQ(host_.progressDone, 3);
}

// The copy keeps the old file on a cancel (FailSafeCopyTest); here the stop is no error.
TEST_F(FileOperationsTest, ACancelDuringACopyIsNeitherAskedNorCounted) {
    left.File("big.bin", "new version");
    right.File("big.bin", "old");
    const int row = RowOf("big.bin");
    host_.ProgressInit(11);
    host_.onProgress = [](int64_t, int64_t) { ::Run().CancelRequested = true; };
    job.resetSource = true;
    CopyOneFile(job, 0, row);
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_EQ(right.Read("big.bin"), QByteArray("old"));
    EXPECT_TRUE(Temporaries(right.Path()).isEmpty());
    EXPECT_EQ(host_.filesShown, QStringList{left.Path("big.bin")});
    EXPECT_TRUE(host_.messagesShown.isEmpty());
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_EQ(job.tally.Failed + job.tally.Copied, 0);
    EXPECT_TRUE(::Run().Errors.isEmpty());
    EXPECT_TRUE(HasArchive(left.Path("big.bin")));
    EXPECT_EQ(host_.progressDone, 0);
}

// ---- deletes, folders ----

// A read-only file loses its mark for the delete; when the delete fails it gets the mark back.
TEST_F(FileOperationsTest, ADeleteClearsTheReadOnlyMarkAndPutsItBackWhenItFails) {
    for (const int fault : {0, EBUSY}) {
        SCOPED_TRACE(fault);
        const QString path = left.File("ro.txt", "stays");
        ASSERT_EQ(::chmod(PathCodec::Encode(path).constData(), 0444), 0);
        const int row = RowOf("ro.txt");
        Switches().DontAsk = true;
        {
            FailingDevice device;
            if (fault) device.Fail(Point::Delete, "ro.txt", fault);
            DeleteOneFile(job, 0, row);
        }
        EXPECT_EQ(left.Exists("ro.txt"), fault != 0);
        if (fault) {
            EXPECT_EQ(ModeOf(path), 0444u);
        }
        EXPECT_EQ(::Run().ErrorReported, fault != 0);
        EXPECT_EQ(Log().startsWith(LoggedError(EBUSY)), fault != 0) << Log().constData();
    }
}

TEST_F(FileOperationsTest, ANewFolderTakesItsTemplateButStaysWritable) {
    left.Folder("d");
    ASSERT_EQ(::chmod(PathCodec::Encode(left.Path("d")).constData(), 0555), 0);
    profile_.View.ShowEmptyFolders = true;
    const int row = RowOf("d");
    EXPECT_TRUE(CreateDestinationFolder(job, 0, row));
    EXPECT_EQ(ModeOf(right.Path("d")), 0755u);
    // Already there (someone made it since the compare): no error.
    EXPECT_TRUE(CreateDestinationFolder(job, 0, row));
    EXPECT_FALSE(::Run().ErrorReported);
    ::chmod(PathCodec::Encode(left.Path("d")).constData(), 0755);
}

// ---- the error report ----

// One failure reported for the row /l/x -> /r/x: whether it counts, is asked about, is
// logged, is recorded for the next start, and what the answer does.
TEST_F(FileOperationsTest, TheErrorReportAsksLogsOrRecordsEachFailure) {
    const struct {
        const char* what;
        int result;  // of the operation: > 0 success
        int err, op;
        const char* given;  // u unattended, s it stops at an error, l locked files ignored, i err ignored
        uint32_t answer;
        int returned;
        const char* outcome;   // a asked, g logged, c cancelled, i err ignored afterwards
        const char* recorded;  // the last error kept for the next start
    } cases[] = {
        {"success", 1, EIO, OpCode::CopyFile, "", MsgBox::OK, 0, "", ""},
        {"cancel", 0, EACCES, OpCode::DeleteFile, "", MsgBox::Cancel, EACCES, "agc", ""},
        {"don't ask again", 0, EIO, OpCode::CopyFile, "", MsgBox::OK | MsgBox::CheckBoxFlag, EIO, "agi", ""},
        {"not asked again", 0, EIO, OpCode::CopyFile, "i", MsgBox::Cancel, EIO, "gi", ""},
        {"no error number", 0, 0, OpCode::CopyFile, "", MsgBox::OK, EIO, "ag", ""},
        {"folder not empty", 0, ENOTEMPTY, OpCode::RemoveFolder, "", MsgBox::OK, 0, "", ""},
        {"folder exists in a removal", 0, EEXIST, OpCode::RemoveFolder, "", MsgBox::OK, 0, "", ""},
        {"exists elsewhere", 0, EEXIST, OpCode::CreateFolder, "", MsgBox::OK, EEXIST, "ag", ""},
        {"locked, ignored", 0, ETXTBSY, OpCode::CopyFile, "l", MsgBox::OK, 0, "", ""},
        {"locked", 0, ETXTBSY, OpCode::CopyFile, "", MsgBox::OK, ETXTBSY, "ag", ""},
        {"unattended", 0, ENOENT, OpCode::CopyFile, "u", MsgBox::Cancel, ENOENT, "g",
         "No such file or directory\nT812\n/l/x\n\nT813\n/r/x"},
        {"unattended, stops", 0, EACCES, OpCode::DeleteFile, "us", MsgBox::OK, EACCES, "gc", "Permission denied\n/l/x\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString given = c.given, outcome = c.outcome;
        ResetRunState();
        QFile::remove(logs.Path("20260301.log"));
        WriteUserRegistryValue("Flags", "LastErrorMsg", QString());
        host_.messagesShown.clear();
        Switches().DontAsk = given.contains('u');
        Settings().CancelAfterErrorUnattended = given.contains('s');
        Settings().IgnoreLockedFiles = given.contains('l');
        if (given.contains('i')) ::Run().IgnoredErrors.insert(c.err);
        host_.queuedAnswers = {c.answer};
        ResultList rows(2);
        rows[1].Folder[0] = "/l/";
        rows[1].Folder[1] = "/r/";
        rows[1].Name[0] = rows[1].Name[1] = "x";
        FileSystem::SetLastError(c.err);
        EXPECT_EQ(ReportOperationError(c.result, c.op, 0, 1, rows), c.returned);
        EXPECT_EQ(host_.messagesShown.size(), outcome.contains('a') ? 1 : 0);
        EXPECT_EQ(!Log().isEmpty(), outcome.contains('g'));
        EXPECT_EQ(::Run().ErrorReported, outcome.contains('g'));
        EXPECT_EQ(::Run().CancelRequested.load(), outcome.contains('c'));
        EXPECT_EQ(::Run().IgnoredErrors.count(c.err) != 0, outcome.contains('i'));
        EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorMsg", QString()).toString(), QString(c.recorded));
        if (*c.recorded) {
            EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorDate", QString()).toString(), "2026-03-01 08:30:00");
        }
    }
}

}  // namespace
