// The single-item copy on rows of a real compare (archive marks, letter case), and the one error
// report.

#include "CompareRunFixture.h"

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
            if (view_.ViewList[i].Name(0) == name || (view_.ViewList[i].Name(0).isEmpty() && view_.ViewList[i].Name(1) == name))
                return static_cast<int>(i);
        ADD_FAILURE() << "no row " << qPrintable(name);
        return 0;
    }
    QByteArray Log() const { return logs.Read(QStringLiteral("20260301.log")); }

    TempTree left, right, logs;
    SyncJob job{view_.ViewList, host_, ::Run().CancelRequested};
};


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
    int fault = 0;  // the system's answer on creating the destination; 0 none
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
        if (c.fault) device.Fail(Point::Create, c.name, c.fault);
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
    EXPECT_TRUE(c.logged ? Log().startsWith("2026-03-01 08:30:00\t" + QByteArray::number(c.logged) + "\t") : Log().isEmpty()) << Log().constData();
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
        CopyCase{.what = "ResetsOfAReadOnlySource", .name = "ro.txt", .data = "read-only", .mode = 0444,
                 .resetSource = true, .resetDestination = true, .after = {"ro.txt=read-only"},
                 .destinationMode = 0444, .sourceArchive = false, .destinationArchive = false},
        // A copy that failed on a file in use, with that error ignored, did not happen: the
        // source keeps its "not yet backed up" mark for the next run.
        CopyCase{.what = "AnIgnoredLockedFileKeepsItsArchiveMark", .name = "busy.db", .data = "new", .old = "busy.db",
                 .resetSource = true, .ignoreLocked = true, .fault = ETXTBSY, .after = {"busy.db=old"}},
        // Where the destination folds case, a name that differs only in case and appeared since
        // the compare is another file: never written over.
        CopyCase{.what = "AFoldingDestinationNeverWritesOverAnotherFileDifferingInCase", .name = "a.txt",
                 .data = "left a", .foldsCase = "r", .appears = "A.txt", .after = {"A.txt=appeared"},
                 .logged = EEXIST},
        CopyCase{.what = "AMatchedCaseVariantIsReplacedInPlace", .name = "Readme.TXT", .data = "new text",
                 .old = "README.txt", .foldsCase = "r", .after = {"README.txt=new text"}}),
    [](const ::testing::TestParamInfo<CopyCase>& p) { return std::string(p.param.what); });


// One failure reported for the row /l/x -> /r/x: whether it counts, is asked about, is logged,
// and what the answer does. (What an unattended run records for the next start is tested on the
// real program.)
TEST_F(FileOperationsTest, TheErrorReportAsksOrLogsEachFailure) {
    const struct {
        const char* what;
        int result;  // of the operation: > 0 success
        int err, op;
        const char* given;  // u unattended, s it stops at an error, i err ignored
        uint32_t answer;
        int returned;
        const char* outcome;  // a asked, g logged, c cancelled, i err ignored afterwards
    } cases[] = {
        {"cancel", 0, EACCES, OpCode::DeleteFile, "", MsgBox::Cancel, EACCES, "agc"},
        {"don't ask again", 0, EIO, OpCode::CopyFile, "", MsgBox::OK | MsgBox::CheckBoxFlag, EIO, "agi"},
        {"not asked again", 0, EIO, OpCode::CopyFile, "i", MsgBox::Cancel, EIO, "gi"},
        {"folder not empty", 0, ENOTEMPTY, OpCode::RemoveFolder, "", MsgBox::OK, 0, ""},
        {"unattended, stops", 0, EACCES, OpCode::DeleteFile, "us", MsgBox::OK, EACCES, "gc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString given = c.given, outcome = c.outcome;
        ResetRunState();
        QFile::remove(logs.Path("20260301.log"));
        host_.messagesShown.clear();
        Switches().DontAsk = given.contains('u');
        Settings().CancelAfterErrorUnattended = given.contains('s');
        if (given.contains('i')) ::Run().IgnoredErrors.insert(c.err);
        host_.queuedAnswers = {c.answer};
        ResultList rows(2);
        rows[1].SetFolder(0, "/l/");
        rows[1].SetFolder(1, "/r/");
        rows[1].SetName(0, "x");
        rows[1].SetName(1, rows[1].Name(0));
        FileSystem::SetLastError(c.err);
        EXPECT_EQ(ReportOperationError(c.result, c.op, 0, 1, rows), c.returned);
        EXPECT_EQ(host_.messagesShown.size(), outcome.contains('a') ? 1 : 0);
        EXPECT_EQ(!Log().isEmpty(), outcome.contains('g'));
        EXPECT_EQ(::Run().ErrorReported, outcome.contains('g'));
        EXPECT_EQ(::Run().CancelRequested.load(), outcome.contains('c'));
        EXPECT_EQ(::Run().IgnoredErrors.count(c.err) != 0, outcome.contains('i'));
    }
}

}  // namespace
