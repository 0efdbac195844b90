#include "support/TempTree.h"

#include "config/ProgramSettings.h"
#include "config/Profile.h"
#include "config/StartupSwitches.h"
#include "engine/RunState.h"
#include "platform/Clock.h"
#include "platform/RegistryStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TempTree::TempTree() { EXPECT_TRUE(dir_.isValid()); }

QString TempTree::Path(const QString& relative) const {
    return relative.isEmpty() ? dir_.path() : dir_.path() + QLatin1Char('/') + relative;
}

QString TempTree::File(const QString& relative, const QByteArray& contents, const QDateTime& modified) {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    f.write(contents);
    f.close();
    if (modified.isValid()) SetModified(relative, modified);
    return path;
}

QString TempTree::Folder(const QString& relative) {
    const QString path = Path(relative);
    EXPECT_TRUE(QDir().mkpath(path));
    return path;
}

void TempTree::Build(const QStringList& paths) {
    for (const QString& p : paths) {
        if (p.endsWith(QLatin1Char('/'))) Folder(p);
        else File(p, p.toUtf8());
    }
}

QString TempTree::Link(const QString& relative, const QString& target) {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0)
        << qPrintable(path);
    return path;
}

QString TempTree::Pipe(const QString& relative) {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << qPrintable(path);
    return path;
}

bool TempTree::Exists(const QString& relative) const { return QFileInfo::exists(Path(relative)); }

QByteArray TempTree::Read(const QString& relative) const {
    QFile f(Path(relative));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QDateTime TempTree::Modified(const QString& relative) const {
    return QFileInfo(Path(relative)).lastModified();
}

void TempTree::SetModified(const QString& relative, const QDateTime& modified) {
    QFile f(Path(relative));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

QStringList TempTree::List() const {
    QStringList out;
    QDirIterator it(dir_.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir root(dir_.path());
    while (it.hasNext()) {
        const QString p = it.next();
        QString rel = root.relativeFilePath(p);
        if (it.fileInfo().isDir() && !it.fileInfo().isSymLink()) rel += QLatin1Char('/');
        out << rel;
    }
    out.sort();
    return out;
}

void ScopedEnvironment::Set(const char* name, const QByteArray& value) {
    if (!saved_.contains(name)) saved_.insert(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    for (auto it = saved_.cbegin(); it != saved_.cend(); ++it) {
        if (it.value().isNull()) qunsetenv(it.key().constData());
        else qputenv(it.key().constData(), it.value());
    }
}

IsolatedEnvironment::IsolatedEnvironment() {
    hadXdg_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    oldXdg_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", configHome_.path().toUtf8());
    // Two-way runs remember their pairs' state under XDG_STATE_HOME: never the user's own.
    hadXdgState_ = qEnvironmentVariableIsSet("XDG_STATE_HOME");
    oldXdgState_ = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", (configHome_.path() + QStringLiteral("/state")).toUtf8());
    SetRegistryStorePathForTests(Hive::CurrentUser, configHome_.path() + QStringLiteral("/Tandor/user.reg"));
    SetRegistryStorePathForTests(Hive::LocalMachine, configHome_.path() + QStringLiteral("/machine/system.reg"));
    SetRegistryStorePathForTests(Hive::ClassesRoot, configHome_.path() + QStringLiteral("/Tandor/classes.reg"));
    ResetProgramSettings();
    ResetCurrentProfile();
    ResetStartupSwitches();
    ResetRunState();
}

IsolatedEnvironment::~IsolatedEnvironment() {
    if (hadXdg_) qputenv("XDG_CONFIG_HOME", oldXdg_);
    else qunsetenv("XDG_CONFIG_HOME");
    if (hadXdgState_) qputenv("XDG_STATE_HOME", oldXdgState_);
    else qunsetenv("XDG_STATE_HOME");
    SetRegistryStorePathForTests(Hive::CurrentUser, QString());
    SetRegistryStorePathForTests(Hive::LocalMachine, QString());
    SetRegistryStorePathForTests(Hive::ClassesRoot, QString());
    Clock::SetNowForTests({});
    ResetProgramSettings();
    ResetCurrentProfile();
    ResetStartupSwitches();
    ResetRunState();
}
