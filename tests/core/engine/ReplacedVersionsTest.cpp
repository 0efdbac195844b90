// With undo allowed, the version a copy replaces goes to the trash, on real folders: in the
// step that gives the new version its name, alone or in a batch, by a second name in the trash
// or (without hard links) by a move into it; and a trash or a rename that fails leaves the old
// version where it was, nothing in the trash and no temporary file.

#include "platform/FileSystem.h"
#include "platform/ReplacementBatch.h"
#include "support/FailingDevice.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using Point = FileSystem::FaultPoint;
using FileSystem::Replaced;

struct ReplacedCase {
    const char* name;
    Replaced replaced;
    bool batch;
    bool noHardLinks;       // the trash's second name fails as on a file system without hard links
    Point failing;          // with failingErr: the step that fails
    int failingErr;
    int failingSkip;        // steps of that kind that go through first
    bool replacesAndKeeps;  // the new version in place, the old one in the trash
};

void PrintTo(const ReplacedCase& c, std::ostream* os) { *os << c.name; }

class ReplacedVersions : public ::testing::TestWithParam<ReplacedCase> {};

TEST_P(ReplacedVersions, EitherVersionIsAlwaysInPlaceOrInTheTrash) {
    const ReplacedCase& c = GetParam();
    TempTree tree, dataHome;
    ScopedEnvironment environment;
    environment.Set("XDG_DATA_HOME", dataHome.Path().toUtf8());
    const QString source = tree.File(QStringLiteral("src/report.odt"), "new version");
    const QString destination = tree.File(QStringLiteral("dst/report.odt"), "old version");
    const FileSystem::SeenEntry seen = SeenNow(destination);

    FailingDevice device;
    if (c.noHardLinks) device.Fail(Point::TrashLink, destination, EPERM);
    if (c.failingErr != 0) device.Fail(c.failing, destination, c.failingErr, c.failingSkip);
    bool ok;
    if (c.batch) {
        FileSystem::ReplacementBatch batch;
        ok = FileSystem::CopyFile(source, destination, {}, nullptr, seen, c.replaced);
        ASSERT_TRUE(ok && FileSystem::LastCopyWaits());
        ok = batch.PutInPlace() == std::vector<int>{0};
    } else {
        ok = FileSystem::CopyFile(source, destination, {}, nullptr, seen, c.replaced);
    }

    const bool kept = c.replaced == Replaced::ToTrash && c.replacesAndKeeps;
    EXPECT_EQ(ok, c.replacesAndKeeps);
    EXPECT_EQ(tree.Read(QStringLiteral("dst/report.odt")), c.replacesAndKeeps ? "new version" : "old version");
    EXPECT_EQ(Temporaries(tree.Path(QStringLiteral("dst"))), QStringList());
    EXPECT_EQ(Entries(dataHome.Path(QStringLiteral("Trash/files"))),
              kept ? QStringList{QStringLiteral("report.odt")} : QStringList());
    EXPECT_EQ(Entries(dataHome.Path(QStringLiteral("Trash/info"))),
              kept ? QStringList{QStringLiteral("report.odt.trashinfo")} : QStringList());
    if (kept) {
        EXPECT_EQ(dataHome.Read(QStringLiteral("Trash/files/report.odt")), "old version");
        EXPECT_TRUE(dataHome.Read(QStringLiteral("Trash/info/report.odt.trashinfo"))
                        .contains("\nPath=" + QFile::encodeName(destination) + '\n'));
    }
}

constexpr int kNone = 0;

INSTANTIATE_TEST_SUITE_P(
    Copy, ReplacedVersions,
    ::testing::Values(
        ReplacedCase{"DiscardedWithoutUndo", Replaced::Discard, false, false, Point::Name, kNone, 0, true},
        ReplacedCase{"SecondNameInTheTrash", Replaced::ToTrash, false, false, Point::Name, kNone, 0, true},
        ReplacedCase{"SecondNameInTheTrashInABatch", Replaced::ToTrash, true, false, Point::Name, kNone, 0, true},
        ReplacedCase{"MovedIntoTheTrashWithoutHardLinks", Replaced::ToTrash, false, true, Point::Name, kNone, 0, true},
        ReplacedCase{"MovedIntoTheTrashInABatch", Replaced::ToTrash, true, true, Point::Name, kNone, 0, true},
        ReplacedCase{"TrashRefuses", Replaced::ToTrash, false, false, Point::Trash, EACCES, 0, false},
        ReplacedCase{"TrashRefusesInABatch", Replaced::ToTrash, true, false, Point::Trash, EACCES, 0, false},
        ReplacedCase{"SecondNameFailsOtherwise", Replaced::ToTrash, false, false, Point::TrashLink, EIO, 0, false},
        ReplacedCase{"RenameFailsAfterTheSecondName", Replaced::ToTrash, false, false, Point::Name, EIO, 1, false},
        ReplacedCase{"RenameFailsAfterTheMoveIntoTheTrash", Replaced::ToTrash, false, true, Point::Name, EIO, 1,
                     false},
        ReplacedCase{"RenameFailsInABatch", Replaced::ToTrash, true, true, Point::Name, EIO, 1, false}),
    [](const ::testing::TestParamInfo<ReplacedCase>& p) { return std::string(p.param.name); });

}  // namespace
