#include "platform/IniFile.h"
#include "platform/IniFileIo.h"

#include "support/TempTree.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `work` in a child process; Succeeded() waits for it and says whether it returned true.
pid_t StartChild(const std::function<bool()>& work) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(work() ? 0 : 1);
    return child;
}
bool Succeeded(pid_t child) {
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Every reading rule in one file; a line in the old code page is read as Windows-1252, alone.
const QByteArray kRulesFile =
    "top=1\r\n"
    "  [ General ]  \r\n  Left = one two \r\nQuoted=\"\"inner\"\"\r\nSingle=' x '\r\nEq=a=b=c\r\n; comment=1\r\n"
    "[S]\r\nk=first\r\nK=second\r\nold=Caf\xe9 \x80\r\nnew=M\xc3\xbcller\r\n"
    "[N]\r\nneg=-5\r\nlead= 12abc\r\ntext=abc\r\nbig=99999999999\r\n";

TEST(IniFileRead, NamesIgnoreCaseAndBlanksValuesLoseOnePairOfQuotesAndTheFirstEntryWins) {
    const struct {
        const char* section;
        const char* key;
        const char* value;  // "d": the default, the key is not there
    } rows[] = {
        {"GENERAL ", " left", "one two"}, {"General", "Quoted", "\"inner\""}, {"General", "Single", " x "},
        {"General", "Eq", "a=b=c"},       {"General", "; comment", "d"},     {"Other", "Left", "d"},
        {"", "top", "1"},                 {"S", "k", "first"},               {"S", "old", "Caf\xc3\xa9 \xe2\x82\xac"},
        {"S", "new", "M\xc3\xbcller"},
    };
    TempTree t;
    const QString path = t.File("a.ini", kRulesFile);
    const IniFile::Document doc = IniFile::Document::Load(path);
    for (const auto& r : rows) EXPECT_EQ(doc.GetString(r.section, r.key, "d"), QString::fromUtf8(r.value)) << r.section << '/' << r.key;
    EXPECT_EQ(doc.SectionNames(), (QStringList{"", "General", "S", "N"}));
    // Integers come from the leading number, clamped; 7 is the default.
    const std::pair<const char*, int> numbers[] = {{"neg", -5}, {"lead", 12}, {"text", 7}, {"big", INT_MAX}};
    for (const auto& [key, value] : numbers) EXPECT_EQ(IniFile::GetInt(path, "N", key, 7), value) << key;
}

// One write: lines it does not change keep their bytes, line ends and code page.
TEST(IniFileWrite, ChangesOnlyItsOwnLineAndReadsBack) {
    const QByteArray mixed = "\xEF\xBB\xBF; alt \x96 neu\r\n[General]\r\nLeft=B\xc3\xbcro\r\nZoom=100\r\nState=0";
    const QByteArray quiet = "; mine\n[A]\nx=1\ny = 2\n\n[B]\nz=3\n";
    const struct {
        const char* what;
        QByteArray before;  // null: no file yet
        const char* section;
        const char* key;
        const char* value;
        QByteArray after;
        const char* readBack = nullptr;  // null: the value itself
    } rows[] = {
        {"new file, key with its blank", {}, "General", "IgnoreLockedFiles ", "1", "[General]\r\nIgnoreLockedFiles =1\r\n"},
        {"found without the blank, spelling kept", "[General]\r\nIgnoreLockedFiles =1\r\n", "GENERAL", "ignorelockedfiles", "0",
         "[General]\r\nIgnoreLockedFiles =0\r\n"},
        {"replaced in place", quiet, "a", "Y", "20", "; mine\n[A]\nx=1\ny =20\n\n[B]\nz=3\n"},
        {"appended to its section", quiet, "A", "new", "n", "; mine\n[A]\nx=1\ny = 2\nnew=n\n\n[B]\nz=3\n"},
        {"CR LF, last line without end", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"old byte rewritten in its own line", "[A]\nname=Caf\xe9\nz=\xc3\xa9\n", "A", "name", "Th\xc3\xa9",
         "[A]\nname=Th\xc3\xa9\nz=\xc3\xa9\n"},
        {"stray byte, replace", mixed, "General", "Zoom", "125",
         "\xEF\xBB\xBF; alt \x96 neu\r\n[General]\r\nLeft=B\xc3\xbcro\r\nZoom=125\r\nState=0"},
        {"quotes kept by another pair", {}, "Q", "k", "\"quoted\"", "[Q]\r\nk=\"\"quoted\"\"\r\n"},
        {"line break becomes a blank", {}, "Q", "k", "two\r\nlines", "[Q]\r\nk=two lines\r\n", "two lines"},
    };
    for (const auto& r : rows) {
        TempTree t;
        const QString path = r.before.isNull() ? t.Path("a.ini") : t.File("a.ini", r.before);
        ASSERT_TRUE(IniFile::WriteString(path, r.section, r.key, QString::fromUtf8(r.value))) << r.what;
        EXPECT_EQ(t.Read("a.ini"), r.after) << r.what;
        EXPECT_EQ(IniFile::GetString(path, r.section, r.key, "d"), QString::fromUtf8(r.readBack ? r.readBack : r.value)) << r.what;
    }
}

// Names that cannot stand in a file: nothing is written; several keys go in one change or none.
TEST(IniFileWrite, RefusesWhatItCannotWriteAndWritesNothingThen) {
    const std::pair<const char*, const char*> bad[] = {{"A", "k=x"}, {"A]", "k"}, {"A", " "}, {"A", "bad\nkey"}};
    TempTree t;
    const QString path = t.Path("a.ini");
    EXPECT_FALSE(IniFile::WriteString(t.Path("missing/a.ini"), "A", "k", "v"));
    for (const auto& [section, key] : bad) {
        EXPECT_FALSE(IniFile::WriteStrings(path, {{"A", "good", "1"}, {section, key, "v"}})) << section << '/' << key;
        EXPECT_FALSE(t.Exists("a.ini")) << section << '/' << key;
    }
    ASSERT_TRUE(IniFile::WriteStrings(path, {{"A", "x", "1"}, {"B", "y", "2"}, {"A", "z", "3"}}));
    EXPECT_EQ(t.Read("a.ini"), QByteArray("[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n"));
}

TEST(IniFileWrite, LeavesNoTemporaryFilesAndKeepsASymbolicLinkALink) {
    TempTree t;
    const QString real = t.File("real.ini", "[A]\nx=1\n");
    ASSERT_EQ(::symlink(real.toUtf8().constData(), t.Path("link.ini").toUtf8().constData()), 0);
    ASSERT_TRUE(IniFile::WriteString(t.Path("link.ini"), "A", "x", "2"));
    EXPECT_TRUE(QFileInfo(t.Path("link.ini")).isSymLink());
    EXPECT_EQ(t.Read("real.ini"), QByteArray("[A]\nx=2\n"));
    EXPECT_EQ(t.List(), (QStringList{"link.ini", "real.ini"}));
}

// Two processes write one file at once, new or existing: every key arrives, no lock file stays.
TEST(IniFileWrite, TwoProcessesAtOnceLoseNoKeysAndLeaveNoLockFile) {
    constexpr int kWrites = 60;
    for (const bool existing : {false, true}) {
        TempTree t;
        const QString path = existing ? t.File("shared.ini", "[S]\n") : t.Path("shared.ini");
        const pid_t child = StartChild([&] {
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) ok = IniFile::WriteString(path, "S", "child" + QString::number(i), "c") && ok;
            return ok;
        });
        for (int i = 0; i < kWrites; ++i) EXPECT_TRUE(IniFile::WriteString(path, "S", "parent" + QString::number(i), "p"));
        EXPECT_TRUE(Succeeded(child));
        EXPECT_EQ(IniFile::Document::Load(path).KeyNames("S").size(), 2 * kWrites) << "file existed: " << existing;
        EXPECT_EQ(t.List(), QStringList{QStringLiteral("shared.ini")});
    }
}

// A write that fails half-way (the file size limit, as a full disk would) leaves the old file.
TEST(IniFileWrite, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempTree t;
    const QByteArray before = "[A]\r\nx=1\r\n";
    const QString path = t.File("full.ini", before);
    EXPECT_TRUE(Succeeded(StartChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return !IniFile::WriteString(path, "A", "big", QString(20000, QLatin1Char('v')));
    }))) << "the write claimed success";
    EXPECT_EQ(t.Read("full.ini"), before);
    EXPECT_EQ(t.List(), QStringList{QStringLiteral("full.ini")});
}

// A file beyond what the reader takes in is never rewritten from its first part.
TEST(IniFileWrite, AnOverLargeFileIsRefusedNotCut) {
    TempTree t;
    const QString path = t.File("huge.ini", "[A]\nx=1\n");
    ASSERT_TRUE(QFile::resize(path, IniFileIo::MaxFileBytes + 1));  // sparse: cheap to make
    EXPECT_FALSE(IniFile::WriteString(path, "A", "x", "2"));
    EXPECT_EQ(QFileInfo(path).size(), IniFileIo::MaxFileBytes + 1);
}

}  // namespace
