#pragma once
// Starts the real program the way cron or a scheduled task does: no display (unless a test
// names one), a profile on the command line, and reads back what it leaves behind.

#include "config/Registry.h"
#include "platform/RegistryStore.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct ProgramRun {
    int exitCode = -1;
    QString standardError;
    QString standardOutput;
};

class UnattendedRun : public ::testing::Test {
protected:
    QTemporaryDir configHome;
    QTemporaryDir scratch;  // the program's TMPDIR, the profile, stand-in tools
    TempTree tree;

    // Set by a test before Start: variables added to the program's environment (after the
    // display variables were removed), a command that starts the program (xvfb-run, setpriv),
    // the folder it starts in, and folders searched for programs before the usual ones.
    QList<QPair<QString, QString>> extraEnvironment;
    QStringList launcher;
    QString workingDirectory;
    QString pathPrefix;

    // withDisplay: an offscreen display, where a modal window would wait for a click.
    ProgramRun Start(const QStringList& arguments, bool withDisplay = false) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
        if (withDisplay) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.path());
        env.insert(QStringLiteral("TMPDIR"), scratch.path());
        // The remembered state of two-way runs stays in the test's folder too.
        env.insert(QStringLiteral("XDG_STATE_HOME"), StateHome());
        if (!pathPrefix.isEmpty())
            env.insert(QStringLiteral("PATH"), pathPrefix + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        for (const auto& [name, value] : extraEnvironment) env.insert(name, value);
        p.setProcessEnvironment(env);
        if (!workingDirectory.isEmpty()) p.setWorkingDirectory(workingDirectory);
        const QStringList command = launcher + QStringList{QStringLiteral(TANDOR_EXE)} + arguments;
        p.start(command.first(), command.mid(1));
        const bool ended = p.waitForFinished(120000);
        EXPECT_TRUE(ended) << "the program did not end by itself";
        if (!ended) {
            p.kill();
            p.waitForFinished();
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardError()), QString::fromLocal8Bit(p.readAllStandardOutput())};
    }
    ProgramRun StartUnattended(const QString& profile, bool withDisplay = false) {
        return Start({profile, QStringLiteral("-auto"), QStringLiteral("-dontask"), QStringLiteral("-hide")}, withDisplay);
    }

    QString StateHome() const { return configHome.path() + QStringLiteral("/state"); }
    QString SettingsFile() const { return configHome.path() + QStringLiteral("/Tandor/Tandor.ini"); }
    QString UserStorePath() const { return configHome.path() + QStringLiteral("/Tandor/user.reg"); }
    // A value of the program's key in the user store the program wrote, read the way it reads it.
    QString UserValue(const char* name) const {
        SetRegistryStorePathForTests(Hive::CurrentUser, UserStorePath());
        const QString value =
            ReadUserRegistryValue(QStringLiteral("Flags"), QString::fromLatin1(name), QString()).toString();
        SetRegistryStorePathForTests(Hive::CurrentUser, QString());
        return value;
    }
    QString logFolder = configHome.path() + QStringLiteral("/logs");

    // Settings with logging on, written before the first start as a user would.
    void WriteSettings(const QByteArray& moreGeneral = QByteArray()) {
        QDir().mkpath(configHome.path() + QStringLiteral("/Tandor"));
        QDir().mkpath(logFolder);
        QFile f(SettingsFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[General]\r\nLogToFile=1\r\nDontShowHint=1\r\nLanguage=English\r\n" + moreGeneral +
                "[Paths]\r\nLogfiles=" + logFolder.toUtf8() + "\r\n");
    }

    // The keys of one folder pair; more adds keys such as "SA=1\r\n" (create folder 1).
    static QByteArray PairSection(const QString& left, const QString& right, const QByteArray& more = QByteArray()) {
        return "S=" + left.toUtf8() + "\r\nD=" + right.toUtf8() + "\r\nIS=*\r\nIF=*\r\nDF=*.tmp\r\n" + more;
    }
    QString WriteProfilePairs(const QList<QByteArray>& pairs, const char* syncOptions,
                              const QString& name = QStringLiteral("My Profile.tdp")) {
        QByteArray text = "[General]\r\nLeft=Left\r\nRight=Right\r\nTimeLag=00:00:02\r\nCompareDate=1\r\nCompareSize=1\r\n[0]\r\n";
        for (int i = 0; i < 5; ++i) text += "SO" + QByteArray::number(i) + "=" + QByteArray(1, syncOptions[i]) + "\r\n";
        for (qsizetype p = 0; p < pairs.size(); ++p) text += "[" + QByteArray::number(p + 1) + "]\r\n" + pairs[p];
        QFile f(scratch.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }
    QString WriteProfile(const QString& left, const QString& right, const char* syncOptions) {
        return WriteProfilePairs({PairSection(left, right)}, syncOptions);
    }

    QString TodaysLogPath() const {
        return logFolder + QDate::currentDate().toString(QStringLiteral("/yyyyMMdd.log"));
    }
    QString TodaysLog() const {
        QFile f(TodaysLogPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QStringList LogLines() const { return TodaysLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts); }
};
