// The single-item operations and the one error report, on real files.

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "config/StartupSwitches.h"
#include "engine/FileOperations.h"
#include "engine/HeadlessRunHost.h"
#include "engine/RunState.h"
#include "engine/Scanner.h"
#include "engine/SyncJob.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TempTree.h"
#include "support/FailingDevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Temporaries(const QString& folder) {
    QStringList out;
    for (const QString& n : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (n.startsWith(QLatin1String(".~tandor-"))) out << n;
    return out;
}

mode_t ModeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(PathCodec::Encode(path).constData(), &st), 0);
    return st.st_mode & 07777;
}

class FileOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_TIME, "C");
        SetHost(&host);
        Settings().LogToFile = true;
        Settings().LogfilesFolder = logs.Path();
        Clock::SetNowForTests([] { return QDateTime(QDate(2026, 3, 1), QTime(8, 30, 0)); });
        view.resize(1);
    }
    void TearDown() override { SetHost(nullptr); }

    // A file row from the real files: a name that is empty on a side means "missing there".
    int AddFileRow(const QString& leftName, const QString& rightName, int16_t action, const QString& sub = QString()) {
        CompareRow r;
        r.Folder[0] = left.Path(sub) + QLatin1Char('/');
        r.Folder[1] = right.Path(sub) + QLatin1Char('/');
        r.Name[0] = leftName;
        r.Name[1] = rightName;
        for (int s = 0; s < 2; ++s) {
            if (r.Name[s].isEmpty()) continue;
            r.Attributes[s] = FileSystem::GetAttributes(r.Folder[s] + r.Name[s]);
            r.Size[s] = QFileInfo(r.Folder[s] + r.Name[s]).size();
            r.Time[s] = FileTimeToLocalDate(QFileInfo(r.Folder[s] + r.Name[s]).lastModified().toSecsSinceEpoch());
        }
        if (r.Name[0].isEmpty()) r.Attributes[0] = r.Attributes[1];
        if (r.Name[1].isEmpty()) r.Attributes[1] = r.Attributes[0];
        r.SyncAction = action;
        r.Selected = true;
        view.push_back(r);
        return static_cast<int>(view.size()) - 1;
    }
    QByteArray Log() const { return logs.Read(QStringLiteral("20260301.log")); }

    IsolatedEnvironment env;
    HeadlessRunHost host;
    TempTree left, right, logs;
    ResultList view;
    SyncJob job{view, host, ::Run().CancelRequested};
};

}  // namespace

TEST_F(FileOperationsTest, DeleteClearsReadOnlyFirst) {
    const QString path = left.File(QStringLiteral("ro.txt"), "x");
    ASSERT_EQ(::chmod(PathCodec::Encode(path).constData(), 0444), 0);
    const int row = AddFileRow(QStringLiteral("ro.txt"), QString(), SyncAction::LeftToRight);
    ASSERT_TRUE(view[row].Attributes[0] & Attr::ReadOnly);
    DeleteOneFile(job, 0, row);
    EXPECT_FALSE(left.Exists(QStringLiteral("ro.txt")));
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(FileOperationsTest, DeleteWithUndoMovesToTheTrashUnchanged) {
    TempTree dataHome;
    const bool hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.Path().toUtf8());
    Settings().AllowUndo = true;
    const QString path = left.File(QStringLiteral("sub/ro file%.txt"), "keep me");
    ASSERT_EQ(::chmod(PathCodec::Encode(path).constData(), 0444), 0);
    const int row = AddFileRow(QStringLiteral("ro file%.txt"), QString(), SyncAction::LeftToRight, QStringLiteral("sub"));
    DeleteOneFile(job, 0, row);

    EXPECT_FALSE(left.Exists(QStringLiteral("sub/ro file%.txt")));
    const QString trashed = dataHome.Path(QStringLiteral("Trash/files/ro file%.txt"));
    EXPECT_EQ(dataHome.Read(QStringLiteral("Trash/files/ro file%.txt")), QByteArray("keep me"));
    EXPECT_EQ(ModeOf(trashed), 0444u);
    const QByteArray info = dataHome.Read(QStringLiteral("Trash/info/ro file%.txt.trashinfo"));
    const QByteArray expectedPath = PathCodec::Encode(path).toPercentEncoding("/");
    EXPECT_EQ(info, "[Trash Info]\nPath=" + expectedPath + "\nDeletionDate=2026-03-01T08:30:00\n");

    // A second file of the same name does not replace the first one in the trash.
    left.File(QStringLiteral("sub/ro file%.txt"), "second");
    DeleteOneFile(job, 0, AddFileRow(QStringLiteral("ro file%.txt"), QString(), SyncAction::LeftToRight, QStringLiteral("sub")));
    EXPECT_EQ(dataHome.Read(QStringLiteral("Trash/files/ro file%.2.txt")), QByteArray("second"));
    EXPECT_TRUE(dataHome.Exists(QStringLiteral("Trash/info/ro file%.2.txt.trashinfo")));
    EXPECT_FALSE(::Run().ErrorReported);
    if (hadDataHome) qputenv("XDG_DATA_HOME", oldDataHome);
    else qunsetenv("XDG_DATA_HOME");
}

TEST_F(FileOperationsTest, CopyOverHiddenReadOnlyDestinationTakesSourceAttributes) {
    left.File(QStringLiteral(".cfg"), "new contents");
    const QString dst = right.File(QStringLiteral(".cfg"), "old");
    ASSERT_EQ(::chmod(PathCodec::Encode(left.Path(QStringLiteral(".cfg"))).constData(), 0640), 0);
    ASSERT_EQ(::chmod(PathCodec::Encode(dst).constData(), 0444), 0);
    const int row = AddFileRow(QStringLiteral(".cfg"), QStringLiteral(".cfg"), SyncAction::LeftToRight);
    ASSERT_EQ(view[row].Attributes[1] & (Attr::ReadOnly | Attr::Hidden), Attr::ReadOnly | Attr::Hidden);
    job.resetDestination = true;
    CopyOneFile(job, 0, row);
    EXPECT_EQ(right.Read(QStringLiteral(".cfg")), QByteArray("new contents"));
    EXPECT_EQ(ModeOf(dst), 0640u);
    EXPECT_EQ(FileSystem::GetAttributes(dst) & Attr::Archive, 0u);  // reset-destination
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_EQ(host.progressDone, QByteArray("new contents").size());
}

TEST_F(FileOperationsTest, ArchiveResetsAfterCopy) {
    left.File(QStringLiteral("a.txt"), "a");
    const int row = AddFileRow(QStringLiteral("a.txt"), QString(), SyncAction::LeftToRight);
    ASSERT_TRUE(view[row].Attributes[0] & Attr::Archive);
    job.resetSource = true;
    job.resetDestination = false;
    CopyOneFile(job, 0, row);
    EXPECT_EQ(FileSystem::GetAttributes(left.Path(QStringLiteral("a.txt"))) & Attr::Archive, 0u);
    // The copy gave the destination the archive bit, and nothing took it away.
    EXPECT_NE(FileSystem::GetAttributes(right.Path(QStringLiteral("a.txt"))) & Attr::Archive, 0u);
}

// Run also as an ordinary user (root may write the mark of any file): a read-only source keeps
// its mode, loses its archive mark, and the copy is no error.
TEST_F(FileOperationsTest, ArchiveResetOfAReadOnlySource) {
    const QString source = left.File(QStringLiteral("ro.txt"), "read-only source");
    ASSERT_EQ(::chmod(PathCodec::Encode(source).constData(), 0444), 0);
    const int row = AddFileRow(QStringLiteral("ro.txt"), QString(), SyncAction::LeftToRight);
    ASSERT_TRUE(view[row].Attributes[0] & Attr::Archive);
    job.resetSource = true;
    job.resetDestination = true;
    CopyOneFile(job, 0, row);
    EXPECT_FALSE(::Run().ErrorReported) << Log().constData();
    EXPECT_EQ(right.Read(QStringLiteral("ro.txt")), QByteArray("read-only source"));
    EXPECT_EQ(FileSystem::GetAttributes(source) & (Attr::Archive | Attr::ReadOnly), Attr::ReadOnly);
    EXPECT_EQ(FileSystem::GetAttributes(right.Path(QStringLiteral("ro.txt"))) & (Attr::Archive | Attr::ReadOnly),
              Attr::ReadOnly);
    EXPECT_EQ(ModeOf(source), 0444u);
    EXPECT_EQ(ModeOf(right.Path(QStringLiteral("ro.txt"))), 0444u);
}

TEST_F(FileOperationsTest, FailedDeletePutsBackTheReadOnlyMark) {
    const QString path = left.File(QStringLiteral("ro.txt"), "stays");
    ASSERT_EQ(::chmod(PathCodec::Encode(path).constData(), 0444), 0);
    const int row = AddFileRow(QStringLiteral("ro.txt"), QString(), SyncAction::LeftToRight);
    Switches().DontAsk = true;
    {
        // The mark is cleared, then the delete fails.
        FailingDevice device;
        device.Fail(FailingDevice::Point::Delete, QStringLiteral("ro.txt"), EBUSY);
        DeleteOneFile(job, 0, row);
    }
    EXPECT_EQ(left.Read(QStringLiteral("ro.txt")), QByteArray("stays"));
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_TRUE(Log().contains(QByteArray("\t") + QByteArray::number(EBUSY) + "\t")) << Log().constData();
}

TEST_F(FileOperationsTest, ArchiveSwitchTable) {
    ProfileOptions& o = CurrentProfile().profile.Options;
    o.ResetArchiveAttrSource = true;
    o.ResetArchiveAttrDest = false;
    for (int s = 0; s < 2; ++s) {
        SetArchiveSwitches(job, s);
        EXPECT_TRUE(job.resetSource);
        EXPECT_FALSE(job.resetDestination);
    }
    o.SynchMedium = {true, false};
    SetArchiveSwitches(job, 0);
    EXPECT_TRUE(job.resetSource && job.resetDestination);
    SetArchiveSwitches(job, 1);
    EXPECT_TRUE(job.resetSource && !job.resetDestination);
    o.SynchMedium = {false, true};
    SetArchiveSwitches(job, 0);
    EXPECT_TRUE(job.resetSource && !job.resetDestination);
    SetArchiveSwitches(job, 1);
    EXPECT_TRUE(job.resetSource && job.resetDestination);
}

TEST_F(FileOperationsTest, VanishedSourceIsReportedLoggedAndStillAdvancesProgress) {
    left.File(QStringLiteral("gone.txt"), "abc");
    const int row = AddFileRow(QStringLiteral("gone.txt"), QString(), SyncAction::LeftToRight);
    QFile::remove(left.Path(QStringLiteral("gone.txt")));
    host.queuedAnswers = {MsgBox::OK};
    job.resetSource = true;
    CopyOneFile(job, 0, row);
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_FALSE(right.Exists(QStringLiteral("gone.txt")));
    ASSERT_EQ(host.messagesShown.size(), 1);
    // The prompt says which copy failed, both paths, and what its buttons do.
    EXPECT_TRUE(host.messagesShown[0].startsWith(FormatMsg(1282, {QStringLiteral("2"), QStringLiteral("No such file or directory")})));
    EXPECT_TRUE(host.messagesShown[0].contains(left.Path(QStringLiteral("gone.txt"))));
    EXPECT_TRUE(host.messagesShown[0].contains(right.Path(QStringLiteral("gone.txt"))));
    EXPECT_TRUE(host.messagesShown[0].endsWith(FormatMsg(1284)));
    EXPECT_EQ(Log(), ("2026-03-01 08:30:00\t2\tNo such file or directory\t" + left.Path(QStringLiteral("gone.txt")) +
                      "\t" + right.Path(QStringLiteral("gone.txt")) + "\r\n")
                         .toUtf8());
    EXPECT_EQ(host.progressDone, 3);  // a failed copy still advances the progress
    EXPECT_FALSE(::Run().CancelRequested);
}

TEST_F(FileOperationsTest, ErrorDialogCancelAndDontAskAgain) {
    Settings().LogToFile = false;
    CompareRow r;
    r.Folder[0] = QStringLiteral("/l/");
    r.Folder[1] = QStringLiteral("/r/");
    r.Name[0] = QStringLiteral("x");
    view.push_back(r);

    // Cancel without the box: the run is to stop.
    host.queuedAnswers = {MsgBox::Cancel};
    FileSystem::SetLastError(EACCES);
    EXPECT_EQ(ReportOperationError(0, OpCode::DeleteFile, 0, 1, view), EACCES);
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_FALSE(::Run().IgnoredErrors.count(EACCES));

    // OK with the box ticked: the error is not asked about again, but no cancel.
    ::Run().CancelRequested = false;
    host.queuedAnswers = {MsgBox::OK | MsgBox::CheckBoxFlag};
    FileSystem::SetLastError(EIO);
    EXPECT_EQ(ReportOperationError(0, OpCode::CopyFile, 0, 1, view), EIO);
    EXPECT_FALSE(::Run().CancelRequested);
    EXPECT_TRUE(::Run().IgnoredErrors.count(EIO));
    const qsizetype shown = host.messagesShown.size();
    Settings().LogToFile = true;
    FileSystem::SetLastError(EIO);
    EXPECT_EQ(ReportOperationError(0, OpCode::CopyFile, 0, 1, view), EIO);
    EXPECT_EQ(host.messagesShown.size(), shown);  // no dialog
    EXPECT_TRUE(Log().startsWith("2026-03-01 08:30:00\t5\t"));  // still logged
    EXPECT_TRUE(Log().endsWith("\t/l/x\t/r/x\r\n"));
}

TEST_F(FileOperationsTest, IgnoredErrorsNeitherAskNorLog) {
    CompareRow r;
    r.Folder[0] = QStringLiteral("/l/d");
    r.Name[0] = QStringLiteral("d");
    view.push_back(r);
    FileSystem::SetLastError(ENOTEMPTY);
    EXPECT_EQ(ReportOperationError(0, OpCode::RemoveFolder, 0, 1, view), 0);
    FileSystem::SetLastError(EEXIST);
    EXPECT_EQ(ReportOperationError(0, OpCode::RemoveFolder, 0, 1, view), 0);
    Settings().IgnoreLockedFiles = true;
    FileSystem::SetLastError(ETXTBSY);
    EXPECT_EQ(ReportOperationError(0, OpCode::CopyFile, 0, 1, view), 0);
    EXPECT_TRUE(host.messagesShown.isEmpty());
    EXPECT_TRUE(Log().isEmpty());
    EXPECT_FALSE(::Run().ErrorReported);
    // EEXIST is a real failure anywhere but in a folder removal; success is never reported.
    FileSystem::SetLastError(EEXIST);
    EXPECT_EQ(ReportOperationError(0, OpCode::CreateFolder, 0, 1, view), EEXIST);
    EXPECT_EQ(ReportOperationError(1, OpCode::CreateFolder, 0, 1, view), 0);
    // A failure without an error number still counts as one.
    FileSystem::SetLastError(0);
    EXPECT_EQ(ReportOperationError(0, OpCode::CopyFile, 0, 1, view), EIO);
}

TEST_F(FileOperationsTest, UnattendedErrorIsRecordedForTheNextStart) {
    Switches().DontAsk = true;
    Settings().CancelAfterErrorUnattended = false;
    CompareRow r;
    r.Folder[0] = QStringLiteral("/l/");
    r.Folder[1] = QStringLiteral("/r/");
    r.Name[0] = QStringLiteral("x.txt");
    view.push_back(r);
    FileSystem::SetLastError(ENOENT);
    EXPECT_EQ(ReportOperationError(0, OpCode::CopyFile, 0, 1, view), ENOENT);
    EXPECT_TRUE(host.messagesShown.isEmpty());
    EXPECT_FALSE(::Run().CancelRequested);
    const QString msg = ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorMsg"), QString()).toString();
    const QString date = ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorDate"), QString()).toString();
    EXPECT_TRUE(msg.startsWith(QStringLiteral("No such file or directory\n")));
    EXPECT_TRUE(msg.contains(QStringLiteral("\n/l/x.txt\n\n")));
    EXPECT_TRUE(msg.endsWith(QStringLiteral("\n/r/x.txt")));
    EXPECT_EQ(date, QStringLiteral("2026-03-01 08:30:00"));

    // Only the first path: no labels.
    FileSystem::SetLastError(EACCES);
    Settings().CancelAfterErrorUnattended = true;
    ReportOperationError(0, OpCode::DeleteFile, 0, 1, view);
    EXPECT_EQ(ReadUserRegistryValue(QStringLiteral("Flags"), QStringLiteral("LastErrorMsg"), QString()).toString(),
              QStringLiteral("Permission denied\n/l/x.txt\n"));
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_TRUE(::Run().ErrorReported);
}

// The copy keeps the old file on a cancel (FailSafeCopyTest); here the stop is no error.
TEST_F(FileOperationsTest, CancelDuringCopyIsNeitherAskedNorCounted) {
    left.File(QStringLiteral("big.bin"), "new version");
    right.File(QStringLiteral("big.bin"), "old version");
    const int row = AddFileRow(QStringLiteral("big.bin"), QStringLiteral("big.bin"), SyncAction::LeftToRight);
    Settings().LogToFile = false;
    host.ProgressInit(11);
    host.onProgress = [](int64_t, int64_t) { ::Run().CancelRequested = true; };
    job.resetSource = true;
    CopyOneFile(job, 0, row);
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_EQ(right.Read(QStringLiteral("big.bin")), QByteArray("old version"));
    EXPECT_TRUE(Temporaries(right.Path()).isEmpty());
    EXPECT_EQ(host.filesShown, QStringList{left.Path(QStringLiteral("big.bin"))});
    // The user asked for the stop: no error prompt, no failure, nothing after it for this file.
    EXPECT_TRUE(host.messagesShown.isEmpty());
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_EQ(job.tally.Failed, 0);
    EXPECT_EQ(job.tally.Copied, 0);
    EXPECT_TRUE(::Run().Errors.isEmpty());
    EXPECT_NE(FileSystem::GetAttributes(left.Path(QStringLiteral("big.bin"))) & Attr::Archive, 0u);
    EXPECT_EQ(host.progressDone, 0);
}

// A copy that failed on a file in use, with that error ignored, did not happen: the source keeps
// its "not yet backed up" mark for the next run.
TEST_F(FileOperationsTest, AnIgnoredLockedFileKeepsItsArchiveMark) {
    left.File(QStringLiteral("busy.db"), "new");
    right.File(QStringLiteral("busy.db"), "old");
    const int row = AddFileRow(QStringLiteral("busy.db"), QStringLiteral("busy.db"), SyncAction::LeftToRight);
    ASSERT_NE(FileSystem::GetAttributes(left.Path(QStringLiteral("busy.db"))) & Attr::Archive, 0u);
    Settings().IgnoreLockedFiles = true;
    Switches().DontAsk = true;
    job.resetSource = true;
    FailingDevice device;
    device.Fail(FailingDevice::Point::Create, QStringLiteral("busy.db"), ETXTBSY);
    CopyOneFile(job, 0, row);
    Settings().IgnoreLockedFiles = false;
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_EQ(right.Read(QStringLiteral("busy.db")), QByteArray("old"));
    EXPECT_NE(FileSystem::GetAttributes(left.Path(QStringLiteral("busy.db"))) & Attr::Archive, 0u);
}

TEST_F(FileOperationsTest, InjectedWriteFailureIsReportedAndLogged) {
    left.File(QStringLiteral("big.bin"), "new version");
    right.File(QStringLiteral("big.bin"), "old version");
    const int row = AddFileRow(QStringLiteral("big.bin"), QStringLiteral("big.bin"), SyncAction::LeftToRight);
    Switches().DontAsk = true;
    FailingDevice device;
    device.Fail(FailingDevice::Point::Data, QStringLiteral("big.bin"), ENOSPC);
    CopyOneFile(job, 0, row);
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_EQ(right.Read(QStringLiteral("big.bin")), QByteArray("old version"));
    EXPECT_TRUE(Temporaries(right.Path()).isEmpty());
    EXPECT_TRUE(Log().startsWith("2026-03-01 08:30:00\t" + QByteArray::number(ENOSPC) + "\t"));
}

TEST_F(FileOperationsTest, WhereTheDestinationFoldsCaseNeverWritesOverAnotherFileDifferingOnlyInCase) {
    left.File(QStringLiteral("a.txt"), "left a");
    right.File(QStringLiteral("A.txt"), "right A, a different file");
    // The row did not match them: the right side's a.txt is missing as far as the row knows.
    const int row = AddFileRow(QStringLiteral("a.txt"), QString(), SyncAction::LeftToRight);
    view[static_cast<size_t>(row)].FoldsCase = 2;
    Switches().DontAsk = true;
    CopyOneFile(job, 0, row);
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("A.txt")});
    EXPECT_EQ(right.Read(QStringLiteral("A.txt")), QByteArray("right A, a different file"));
    EXPECT_TRUE(Log().startsWith("2026-03-01 08:30:00\t" + QByteArray::number(EEXIST) + "\t"));
}

TEST_F(FileOperationsTest, WhereTheDestinationKeepsCaseAFileDifferingOnlyInCaseIsAnotherFile) {
    left.File(QStringLiteral("a.txt"), "left a");
    right.File(QStringLiteral("A.txt"), "right A, a different file");
    const int row = AddFileRow(QStringLiteral("a.txt"), QString(), SyncAction::LeftToRight);
    view[static_cast<size_t>(row)].FoldsCase = 1;  // only the source folds case
    CopyOneFile(job, 0, row);
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_EQ(right.List(), (QStringList{QStringLiteral("A.txt"), QStringLiteral("a.txt")}));
    EXPECT_EQ(right.Read(QStringLiteral("a.txt")), QByteArray("left a"));
    EXPECT_EQ(right.Read(QStringLiteral("A.txt")), QByteArray("right A, a different file"));
}

TEST_F(FileOperationsTest, MatchedCaseVariantIsReplacedInPlace) {
    left.File(QStringLiteral("Readme.TXT"), "new text");
    right.File(QStringLiteral("README.txt"), "old");
    const int row = AddFileRow(QStringLiteral("Readme.TXT"), QStringLiteral("README.txt"), SyncAction::LeftToRight);
    CopyOneFile(job, 0, row);
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("README.txt")});
    EXPECT_EQ(right.Read(QStringLiteral("README.txt")), QByteArray("new text"));
}

TEST_F(FileOperationsTest, CreateDestinationFolderTakesTemplateButStaysWritable) {
    left.Folder(QStringLiteral("d"));
    ASSERT_EQ(::chmod(PathCodec::Encode(left.Path(QStringLiteral("d"))).constData(), 0555), 0);
    CompareRow r;
    r.Folder[0] = left.Path(QStringLiteral("d"));
    r.Folder[1] = right.Path(QStringLiteral("d"));
    r.Name[0] = QStringLiteral("d");
    r.Attributes[0] = r.Attributes[1] = Attr::Directory | Attr::ReadOnly;
    view.push_back(r);
    EXPECT_FALSE(right.Exists(QStringLiteral("d")));
    CreateDestinationFolder(job, 0, 1);
    EXPECT_EQ(ModeOf(right.Path(QStringLiteral("d"))), 0755u);
    // Already there (someone made it since the compare): no error.
    CreateDestinationFolder(job, 0, 1);
    EXPECT_FALSE(::Run().ErrorReported);
    ::chmod(PathCodec::Encode(left.Path(QStringLiteral("d"))).constData(), 0755);
}

TEST_F(FileOperationsTest, DeleteWithUndoOnAnotherVolumeUsesItsOwnTrash) {
    TempTree mountPoint;
    const QByteArray mnt = PathCodec::Encode(mountPoint.Path());
    if (::mount("tmpfs", mnt.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    {
        QFile f(mountPoint.Path(QStringLiteral("d/x.txt")));
        QDir().mkpath(mountPoint.Path(QStringLiteral("d")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("on the volume");
    }
    Settings().AllowUndo = true;
    CompareRow r;
    r.Folder[0] = mountPoint.Path(QStringLiteral("d/"));
    r.Name[0] = QStringLiteral("x.txt");
    r.Size[0] = 13;
    r.Time[0] = FileTimeToLocalDate(QFileInfo(r.Folder[0] + r.Name[0]).lastModified().toSecsSinceEpoch());
    view.push_back(r);
    DeleteOneFile(job, 0, 1);
    const QString trash = mountPoint.Path(QStringLiteral(".Trash-") + QString::number(::getuid()));
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_FALSE(QFileInfo::exists(mountPoint.Path(QStringLiteral("d/x.txt"))));
    QFile moved(trash + QStringLiteral("/files/x.txt"));
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), QByteArray("on the volume"));
    QFile info(trash + QStringLiteral("/info/x.txt.trashinfo"));
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    // Relative to the top of the volume.
    EXPECT_EQ(info.readAll(), QByteArray("[Trash Info]\nPath=d/x.txt\nDeletionDate=2026-03-01T08:30:00\n"));
    moved.close();
    info.close();
    ::umount2(mnt.constData(), MNT_DETACH);
}
