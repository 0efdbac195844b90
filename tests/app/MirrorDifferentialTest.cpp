// A mirror run of the real program on a copy of a real tree, checked against what rsync makes of
// the same starting point: after seeded changes on both sides, "left to right" with "delete in
// 2" must leave the right tree exactly as `rsync -a --delete --update --modify-window=2` leaves a
// copy of it (files, links, contents, modification times, permissions), type changes included.

#include "UnattendedRunFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

namespace {

// Where the real tree comes from: a system folder full of ordinary documentation, links and
// names that differ only in letter case.
const char* const kSourceTree = "/usr/share/doc";

bool RunTool(const QString& program, const QStringList& arguments, QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(120000)) return false;
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void SetTime(const QString& path, time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0)
        << qPrintable(path);
}
void Append(const QString& path, const QByteArray& text, time_t seconds) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(text);
    file.close();
    SetTime(path, seconds);
}
void Link(const QString& target, const QString& path) {
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0) << qPrintable(path);
}

struct Entry {
    char kind = '?';  // f file, d folder, l link
    QByteArray content;  // file data or link target
    int64_t mtime = 0;   // files and links
    mode_t mode = 0;     // files
    bool operator==(const Entry& o) const {
        return kind == o.kind && content == o.content && mtime == o.mtime && mode == o.mode;
    }
};

// Everything below root by relative path. Folder times are left out: copying into a folder
// changes its time, and neither side promises more.
std::map<QString, Entry> Snapshot(const QString& root) {
    std::map<QString, Entry> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0) continue;
        Entry e;
        if (S_ISLNK(st.st_mode)) {
            e.kind = 'l';
            char target[4096];
            const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
            e.content = QByteArray(target, n > 0 ? static_cast<qsizetype>(n) : 0);
            e.mtime = st.st_mtim.tv_sec;
        } else if (S_ISDIR(st.st_mode)) {
            e.kind = 'd';
        } else {
            e.kind = 'f';
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) e.content = f.readAll();
            e.mtime = st.st_mtim.tv_sec;
            e.mode = st.st_mode & 07777;
        }
        out[path.mid(root.size() + 1)] = e;
    }
    return out;
}

class MirrorDifferential : public UnattendedRun {};

}  // namespace

TEST_F(MirrorDifferential, MirrorOfARealTreeLeavesWhatRsyncLeaves) {
    if (QStandardPaths::findExecutable(QStringLiteral("rsync")).isEmpty()) GTEST_FAIL() << "rsync is not installed";
    ASSERT_TRUE(QFileInfo(QString::fromLatin1(kSourceTree)).isDir()) << kSourceTree << " is missing";
    const QString left = tree.Path(QStringLiteral("left"));
    const QString right = tree.Path(QStringLiteral("right"));
    const QString expected = tree.Path(QStringLiteral("expected"));
    // -a keeps links as links, times and modes; the copy is ours to change.
    ASSERT_TRUE(RunTool(QStringLiteral("cp"), {"-a", QString::fromLatin1(kSourceTree), left}));
    ASSERT_TRUE(RunTool(QStringLiteral("chmod"), {"-R", "u+w", left}));
    ASSERT_TRUE(RunTool(QStringLiteral("cp"), {"-a", left, right}));

    // Seeded changes: newer files on the left, newer files on the right (kept by both), files
    // and folders only on the left (copied) and only on the right (deleted), links retargeted.
    std::vector<QString> files, links;
    for (const auto& [path, e] : Snapshot(left)) {
        if (e.kind == 'f') files.push_back(path);
        if (e.kind == 'l') links.push_back(path);
    }
    ASSERT_GT(files.size(), 200u) << "the source tree is too small to tell anything";
    std::mt19937 random(20261206);
    std::shuffle(files.begin(), files.end(), random);
    const time_t later = 1798761600;  // 2027-01-01, newer than anything installed
    size_t at = 0;
    auto take = [&](size_t share) {
        std::vector<QString> some(files.begin() + static_cast<std::ptrdiff_t>(at),
                                  files.begin() + static_cast<std::ptrdiff_t>(at + files.size() / share));
        at += files.size() / share;
        return some;
    };
    for (const QString& f : take(30)) Append(left + u'/' + f, "\nchanged on the left\n", later);
    for (const QString& f : take(100)) Append(right + u'/' + f, "\nedited in the backup\n", later + 3600);  // stays
    for (const QString& f : take(100)) ASSERT_TRUE(QFile::remove(right + QLatin1Char('/') + f));  // copied again
    for (const QString& f : take(100)) ASSERT_TRUE(QFile::remove(left + QLatin1Char('/') + f));   // deleted on the right
    // Of names that differ only in letter case ("index.html" and "Index.html"), the backup has
    // lost the second: it must come back beside the first, not replace it or be refused.
    std::map<QString, QStringList> byFoldedName;
    for (size_t i = at; i < files.size(); ++i) byFoldedName[files[i].toCaseFolded()].append(files[i]);
    int twins = 0;
    for (const auto& [folded, names] : byFoldedName) {
        if (names.size() < 2) continue;
        ASSERT_TRUE(QFile::remove(right + QLatin1Char('/') + names.last()));
        ++twins;
    }
    // Type changes, replaced by the mirror as rsync replaces them: a folder that became a file, a
    // file that became a folder, and folders of the backup that a link took the place of, one
    // dangling, one leading to a folder outside both trees (removed as a link, never entered).
    QStringList folders;
    for (const auto& [path, e] : Snapshot(left))
        if (e.kind == 'd' && !path.contains(u'/')) folders << path;
    ASSERT_GE(folders.size(), 3);
    const QString becameFile = folders[folders.size() - 1], linked = folders[folders.size() - 2],
                  linkedOut = folders[folders.size() - 3];
    QString becameFolder;
    for (size_t i = files.size(); i-- > at && becameFolder.isEmpty();)
        if (!files[i].startsWith(becameFile + u'/') && !files[i].startsWith(linked + u'/') &&
            !files[i].startsWith(linkedOut + u'/') && byFoldedName[files[i].toCaseFolded()].size() == 1)
            becameFolder = files[i];
    ASSERT_FALSE(becameFolder.isEmpty());
    ASSERT_TRUE(QDir(left + u'/' + becameFile).removeRecursively());
    tree.File(QStringLiteral("left/") + becameFile, "a folder before");
    SetTime(left + u'/' + becameFile, later);
    ASSERT_TRUE(QFile::remove(left + u'/' + becameFolder));
    tree.File(QStringLiteral("left/") + becameFolder + QStringLiteral("/inside.txt"), "a file before");
    tree.File(QStringLiteral("outside/kept.txt"), "never touched");
    ASSERT_TRUE(QDir(right + u'/' + linked).removeRecursively());
    Link(QStringLiteral("nowhere"), right + u'/' + linked);
    ASSERT_TRUE(QDir(right + u'/' + linkedOut).removeRecursively());
    Link(tree.Path(QStringLiteral("outside")), right + u'/' + linkedOut);
    tree.File(QStringLiteral("left/new folder/deeper/new.txt"), "new on the left");
    tree.File(QStringLiteral("left/.hidden settings"), "hidden and new");
    tree.File(QStringLiteral("right/old folder/sub/stale.txt"), "only in the backup");
    tree.File(QStringLiteral("right/.stale hidden"), "only in the backup");
    for (size_t i = 0; i < links.size() && i < 5; ++i) {
        const QString link = left + QLatin1Char('/') + links[i];
        ASSERT_TRUE(QFile::remove(link));
        Link(QStringLiteral("retargeted"), link);
        SetTime(link, later);
    }
    ASSERT_TRUE(RunTool(QStringLiteral("cp"), {"-a", right, expected}));

    // Left to right and delete in 2, with subfolders, hidden and system entries, no masks.
    const QString profile = WriteProfilePairs(
        {"S=" + QFile::encodeName(left) + "\r\nD=" + QFile::encodeName(right) +
         "\r\nSu=1\r\nHD=1\r\nHF=1\r\nSD=1\r\nSF=1\r\nIS=*\r\nES=\r\nIF=*\r\nEF=\r\nDF=\r\n"},
        "10001");
    const ProgramRun run = StartUnattended(profile);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.standardError);
    QString rsyncOutput;
    ASSERT_TRUE(RunTool(QStringLiteral("rsync"), {"-a", "--delete", "--update", "--modify-window=2", left + u'/', expected + u'/'},
                        &rsyncOutput))
        << qPrintable(rsyncOutput);

    const std::map<QString, Entry> ours = Snapshot(right);
    const std::map<QString, Entry> theirs = Snapshot(expected);
    int differences = 0;
    for (const auto& [path, e] : theirs) {
        const auto it = ours.find(path);
        if (it == ours.end()) {
            if (++differences <= 20) ADD_FAILURE() << "missing after the mirror: " << qPrintable(path);
        } else if (!(it->second == e)) {
            if (++differences <= 20)
                ADD_FAILURE() << "differs: " << qPrintable(path) << " kind " << it->second.kind << "/" << e.kind
                              << " mtime " << it->second.mtime << "/" << e.mtime << " mode " << std::oct
                              << it->second.mode << "/" << e.mode << std::dec;
        }
    }
    for (const auto& [path, e] : ours)
        if (!theirs.count(path) && ++differences <= 20) ADD_FAILURE() << "left behind by the mirror: " << qPrintable(path);
    EXPECT_EQ(ours.size(), theirs.size());
    EXPECT_EQ(QDir(tree.Path(QStringLiteral("outside"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("kept.txt")});
    EXPECT_EQ(tree.Read(QStringLiteral("outside/kept.txt")), QByteArray("never touched"));
    RecordProperty("case twins", twins);
}
