#include "platform/IniFile.h"
#include "platform/IniFileIo.h"

#include "support/TempTree.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One file that holds every reading rule; each row asks for one key of it.
const QByteArray kRulesFile =
    "top=1\r\n"
    "  [ General ]  \r\n  Left = one two \r\nQuoted=\"\"inner\"\"\r\nSingle=' x '\r\nEq=a=b=c\r\nNoValue\r\n; comment=1\r\n"
    "[S]\r\nk=first\r\nK=second\r\n[s]\r\nk=third\r\nother=4\r\n"
    "[N]\r\nneg=-5\r\nplus=+3\r\nlead= 12abc\r\nempty=\r\ntext=abc\r\nbig=99999999999\r\nsmall=-99999999999\r\nsign=-\r\n";

TEST(IniFileRead, NamesIgnoreCaseAndBlanksValuesLoseOnePairOfQuotesAndTheFirstEntryWins) {
    const struct {
        const char* section;
        const char* key;
        const char* value;  // "d": the default, the key is not there
    } rows[] = {
        {"general", "LEFT", "one two"}, {"GENERAL ", " left", "one two"}, {"General", "Quoted", "\"inner\""},
        {"General", "Single", " x "},   {"General", "Eq", "a=b=c"},       {"General", "NoValue", ""},
        {"General", "; comment", "d"},  {"General", "Missing", "d"},      {"Other", "Left", "d"},
        {"", "top", "1"},               {"S", "k", "first"},              {"S", "other", "d"},
    };
    TempTree t;
    const QString path = t.File("a.ini", kRulesFile);
    const IniFile::Document doc = IniFile::Document::Load(path);
    for (const auto& r : rows) EXPECT_EQ(doc.GetString(r.section, r.key, "d"), r.value) << r.section << '/' << r.key;
    EXPECT_EQ(doc.SectionNames(), (QStringList{"", "General", "S", "N"}));
    EXPECT_EQ(doc.KeyNames("general"), (QStringList{"Left", "Quoted", "Single", "Eq", "NoValue"}));
    // Integers come from the leading number, clamped; 7 is the default.
    const std::pair<const char*, int> numbers[] = {{"neg", -5},       {"plus", 3},        {"lead", 12}, {"empty", 7}, {"text", 7},
                                                   {"big", INT_MAX}, {"small", INT_MIN}, {"sign", 7},  {"missing", 7}};
    for (const auto& [key, value] : numbers) EXPECT_EQ(IniFile::GetInt(path, "N", key, 7), value) << key;
    EXPECT_EQ(IniFile::GetInt(t.Path("none.ini"), "N", "neg", 7), 7);
}

// A file from the old system is read in its code page; a UTF-8 file with one stray old byte
// loses only that line's reading to it.
TEST(IniFileRead, OldCodePageBytesAreReadAsWindows1252LineByLine) {
    const struct {
        QByteArray file;
        const char* name;
    } rows[] = {
        {"[G]\nName=Caf\xe9 \x80 \x93q\x94\n", "Caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d"},
        {"\xEF\xBB\xBF[G]\nName=Caf\xc3\xa9\n", "Caf\xc3\xa9"},
        {"; alt \x96 neu\r\n[G]\r\nName=M\xc3\xbcller \xe2\x82\xac\r\nOld=Stra\xdf" "e\r\n", "M\xc3\xbcller \xe2\x82\xac"},
        {"[G]\r\nOld=\xc3\xa9\r\nName=Stra\xdf" "e", "Stra\xc3\x9f" "e"},
    };
    TempTree t;
    for (const auto& r : rows)
        EXPECT_EQ(IniFile::GetString(t.File("mixed.ini", r.file), "G", "Name", ""), QString::fromUtf8(r.name)) << r.file.constData();
}

TEST(IniFileRead, LongValuesAndLongNameListsAreCut) {
    TempTree t;
    QByteArray text = "[V]\nlong=" + QByteArray(40000, 'x') + "\n";
    // 40 sections of 1,000 characters: only those whose names fit into 32,767 characters.
    for (int i = 0; i < 40; ++i) text += "[" + QByteArray::number(i).rightJustified(1000, '0') + "]\n";
    const IniFile::Document doc = IniFile::Document::Load(t.File("a.ini", text));
    EXPECT_EQ(doc.GetString("V", "long", "").size(), IniFile::MaxStringChars);
    EXPECT_EQ(doc.GetString("V", "long", "", 99).size(), 99);
    EXPECT_EQ(doc.SectionNames().size(), 1 + 32);  // "V" plus 32 names of 1,001 characters each
}

// One write into a file as it stands: the bytes afterwards, and what a read of the key gives.
// Lines the write does not change keep their bytes, line ends and code page.
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
        {"new section at the end", quiet, "C", "c", "v", "; mine\n[A]\nx=1\ny = 2\n\n[B]\nz=3\n[C]\nc=v\n"},
        {"before the first header", "1=one\n[X]\nk=v\n", "", "2", "two", "1=one\n2=two\n[X]\nk=v\n"},
        {"CR LF, last line without end", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        {"old code page file", "[A]\nname=Caf\xe9\n", "A", "y", "\xe2\x82\xac", "[A]\nname=Caf\xe9\ny=\xe2\x82\xac\n"},
        {"old byte rewritten in its own line", "[A]\nname=Caf\xe9\nz=\xc3\xa9\n", "A", "name", "Th\xc3\xa9",
         "[A]\nname=Th\xc3\xa9\nz=\xc3\xa9\n"},
        {"stray byte, replace", mixed, "General", "Zoom", "125",
         "\xEF\xBB\xBF; alt \x96 neu\r\n[General]\r\nLeft=B\xc3\xbcro\r\nZoom=125\r\nState=0"},
        {"stray byte, append", mixed, "General", "Right", "Stra\xc3\x9f" "e", mixed + "\r\nRight=Stra\xc3\x9f" "e\r\n"},
        {"stray byte, new section", mixed, "Paths", "Logfiles", "/home/j\xc3\xbcrgen",
         mixed + "\r\n[Paths]\r\nLogfiles=/home/j\xc3\xbcrgen\r\n"},
        {"leading blank quoted", {}, "Q", "k", " lead", "[Q]\r\nk=\" lead\"\r\n"},
        {"trailing blank quoted", {}, "Q", "k", "trail ", "[Q]\r\nk=\"trail \"\r\n"},
        {"quotes kept by another pair", {}, "Q", "k", "\"quoted\"", "[Q]\r\nk=\"\"quoted\"\"\r\n"},
        {"single quotes quoted", {}, "Q", "k", "'single'", "[Q]\r\nk=\"'single'\"\r\n"},
        {"empty value", {}, "Q", "k", "", "[Q]\r\nk=\r\n"},
        {"line break becomes a blank", {}, "Q", "k", "two\r\nlines", "[Q]\r\nk=two lines\r\n", "two lines"},
    };
    for (const auto& r : rows) {
        TempTree t;
        const QString path = r.before.isNull() ? t.Path("a.ini") : t.File("a.ini", r.before);
        ASSERT_TRUE(IniFile::WriteString(path, r.section, r.key, QString::fromUtf8(r.value))) << r.what;
        EXPECT_EQ(t.Read("a.ini"), r.after) << r.what;
        EXPECT_EQ(IniFile::GetString(path, r.section, r.key, "d"), QString::fromUtf8(r.readBack ? r.readBack : r.value)) << r.what;
        if (r.before.contains("B\xc3\xbcro")) {
            EXPECT_EQ(IniFile::GetString(path, "General", "Left", ""), QString::fromUtf8("Büro")) << r.what;
        }
    }
}

// Names that cannot stand in a file, or no folder to write in: nothing is written. Several keys
// go in one change or not at all.
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

// Two real processes write the same file at once, starting from no file and from one that
// exists: every key of both arrives (no two ever held the lock together), and no lock file is
// left beside it.
TEST(IniFileWrite, TwoProcessesAtOnceLoseNoKeysAndLeaveNoLockFile) {
    constexpr int kWrites = 60;
    for (const bool existing : {false, true}) {
        TempTree t;
        const QString path = existing ? t.File("shared.ini", "[S]\n") : t.Path("shared.ini");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) ok = IniFile::WriteString(path, "S", "child" + QString::number(i), "c") && ok;
            ::_exit(ok ? 0 : 1);
        }
        for (int i = 0; i < kWrites; ++i) ASSERT_TRUE(IniFile::WriteString(path, "S", "parent" + QString::number(i), "p"));
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(IniFile::Document::Load(path).KeyNames("S").size(), 2 * kWrites) << "file existed: " << existing;
        EXPECT_EQ(t.List(), QStringList{QStringLiteral("shared.ini")});
    }
}

// A write that fails half-way (here: the file size limit, as a full disk would) must leave the
// old file as it was and no temporary copy beside it.
TEST(IniFileWrite, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempTree t;
    const QByteArray before = "[A]\r\nx=1\r\n";
    const QString path = t.File("full.ini", before);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool wrote = IniFile::WriteString(path, "A", "big", QString(20000, QLatin1Char('v')));
        ::_exit(wrote ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write claimed success";
    EXPECT_EQ(t.Read("full.ini"), before);
    EXPECT_EQ(t.List(), QStringList{QStringLiteral("full.ini")});
}

// A file beyond what the reader takes in is never rewritten from its first part; folders and
// pipes are no files (a read of a pipe returns at once).
TEST(IniFileWrite, AnOverLargeFileIsRefusedNotCutAndFoldersAndPipesAreNoFiles) {
    TempTree t;
    const QString path = t.File("huge.ini", "[A]\nx=1\n");
    ASSERT_TRUE(QFile::resize(path, IniFileIo::MaxFileBytes + 1));  // sparse: cheap to make
    EXPECT_FALSE(IniFile::WriteString(path, "A", "x", "2"));
    EXPECT_EQ(QFileInfo(path).size(), IniFileIo::MaxFileBytes + 1);
    t.Folder("dir.ini");
    EXPECT_TRUE(IniFile::GetSectionNames(t.Path("dir.ini")).isEmpty());
    EXPECT_TRUE(IniFile::GetSectionNames(t.Pipe("pipe.ini")).isEmpty());
}

}  // namespace
