#include "platform/IniFile.h"
#include "platform/IniFileIo.h"

#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One file that holds every reading rule; each row asks for one key of it.
const QByteArray kRulesFile =
    "top=1\r\n"
    "  [ General ]  \r\n  Left = one two \r\nQuoted=\"\"inner\"\"\r\nSingle=' x '\r\nEq=a=b=c\r\nNoValue\r\n; comment=1\r\n"
    "[S]\r\nk=first\r\nK=second\r\n[s]\r\nk=third\r\nother=4\r\n"
    "[N]\r\nneg=-5\r\nplus=+3\r\nlead= 12abc\r\nempty=\r\ntext=abc\r\nbig=99999999999\r\nsmall=-99999999999\r\nsign=-\r\n"
    "[T]\r\n";

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
    const IniFile::Document doc = IniFile::Document::Load(t.File("a.ini", kRulesFile));
    for (const auto& r : rows) EXPECT_EQ(doc.GetString(r.section, r.key, "d"), r.value) << r.section << '/' << r.key;
    EXPECT_EQ(doc.SectionNames(), (QStringList{"", "General", "S", "N", "T"}));
    EXPECT_EQ(doc.KeyNames("general"), (QStringList{"Left", "Quoted", "Single", "Eq", "NoValue"}));
    EXPECT_TRUE(doc.HasSection("t"));
}

TEST(IniFileRead, IntegersComeFromTheLeadingNumber) {
    const struct {
        const char* key;
        int value;  // 7: the default
    } rows[] = {{"neg", -5},       {"plus", 3},        {"lead", 12},   {"empty", 7}, {"text", 7},
                {"big", INT_MAX}, {"small", INT_MIN}, {"sign", 7}, {"missing", 7}};
    TempTree t;
    const QString path = t.File("a.ini", kRulesFile);
    for (const auto& r : rows) EXPECT_EQ(IniFile::GetInt(path, "N", r.key, 7), r.value) << r.key;
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
        {"\xEF\xBB\xBF; alt \x96 neu\r\n[G]\r\nName=\xc3\xa9t\xc3\xa9\r\n", "\xc3\xa9t\xc3\xa9"},
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
    const QString path = t.File("a.ini", text);
    const IniFile::Document doc = IniFile::Document::Load(path);
    EXPECT_EQ(doc.GetString("V", "long", "").size(), IniFile::MaxStringChars);
    EXPECT_EQ(doc.GetString("V", "long", "", 99).size(), 99);
    const QStringList names = doc.SectionNames();
    EXPECT_EQ(names.size(), 1 + 32);  // "V" plus 32 names of 1,001 characters each
    qsizetype used = 0;
    for (const QString& n : names) used += n.size() + 1;
    EXPECT_LE(used, IniFile::MaxStringChars - 1);
}

TEST(IniFileWrite, KeyIsWrittenWithItsExactTextAndFoundWithOrWithoutTheBlank) {
    TempTree t;
    const QString path = t.Path("new.ini");
    ASSERT_TRUE(IniFile::WriteString(path, "General", "IgnoreLockedFiles ", "1"));
    EXPECT_EQ(t.Read("new.ini"), QByteArray("[General]\r\nIgnoreLockedFiles =1\r\n"));
    EXPECT_EQ(IniFile::GetInt(path, "General", "IgnoreLockedFiles ", 0), 1);
    EXPECT_EQ(IniFile::GetInt(path, "general", "ignorelockedfiles", 0), 1);
    // Writing it again replaces the line in place, keeping its spelling.
    ASSERT_TRUE(IniFile::WriteString(path, "GENERAL", "ignorelockedfiles", "0"));
    EXPECT_EQ(t.Read("new.ini"), QByteArray("[General]\r\nIgnoreLockedFiles =0\r\n"));
}

TEST(IniFileWrite, ReplacesInPlaceAppendsToItsSectionAndAddsNewSectionsAtTheEnd) {
    TempTree t;
    const QString path = t.File("a.ini", "; mine\n[A]\nx=1\ny = 2\n\n[B]\nz=3\n");
    ASSERT_TRUE(IniFile::WriteString(path, "a", "Y", "20"));
    EXPECT_EQ(t.Read("a.ini"), QByteArray("; mine\n[A]\nx=1\ny =20\n\n[B]\nz=3\n"));
    ASSERT_TRUE(IniFile::WriteString(path, "A", "new", "n"));
    EXPECT_EQ(t.Read("a.ini"), QByteArray("; mine\n[A]\nx=1\ny =20\nnew=n\n\n[B]\nz=3\n"));
    ASSERT_TRUE(IniFile::WriteString(path, "C", "c", "v"));
    EXPECT_EQ(t.Read("a.ini"), QByteArray("; mine\n[A]\nx=1\ny =20\nnew=n\n\n[B]\nz=3\n[C]\nc=v\n"));
}

TEST(IniFileWrite, KeepsTheLineEndStyleAndTheBytesOfEveryLineItDoesNotChange) {
    TempTree t;
    const QString crlf = t.File("crlf.ini", "[A]\r\nx=1");
    ASSERT_TRUE(IniFile::WriteString(crlf, "A", "y", "2"));
    EXPECT_EQ(t.Read("crlf.ini"), QByteArray("[A]\r\nx=1\r\ny=2\r\n"));

    // A whole file in the old code page: the new line is UTF-8, the old one keeps its byte, and
    // both read back as written.
    const QString ansi = t.File("ansi.ini", "[A]\nname=Caf\xe9\n");
    ASSERT_TRUE(IniFile::WriteString(ansi, "A", "y", QString::fromUtf8("€")));
    EXPECT_EQ(t.Read("ansi.ini"), QByteArray("[A]\nname=Caf\xe9\ny=\xe2\x82\xac\n"));
    EXPECT_EQ(IniFile::GetString(ansi, "A", "name", ""), QString::fromUtf8("Café"));
    EXPECT_EQ(IniFile::GetString(ansi, "A", "y", ""), QString::fromUtf8("€"));

    // A UTF-8 file with one stray byte: replacing, appending and adding a section touch only
    // the lines they write; the comment keeps its dash byte, the UTF-8 values stay UTF-8.
    const QByteArray head = "\xEF\xBB\xBF; alt \x96 neu\r\n[General]\r\nLeft=B\xc3\xbcro\r\n";
    const QString mixed = t.File("mixed.ini", head + "Zoom=100\r\nState=0");
    ASSERT_TRUE(IniFile::WriteString(mixed, "General", "Zoom", "125"));
    EXPECT_EQ(t.Read("mixed.ini"), head + "Zoom=125\r\nState=0");
    ASSERT_TRUE(IniFile::WriteString(mixed, "General", "Right", QString::fromUtf8("Straße")));
    EXPECT_EQ(t.Read("mixed.ini"), head + "Zoom=125\r\nState=0\r\nRight=Stra\xc3\x9f" "e\r\n");
    ASSERT_TRUE(IniFile::WriteString(mixed, "Paths", "Logfiles", QString::fromUtf8("/home/jürgen")));
    EXPECT_EQ(t.Read("mixed.ini"), head + "Zoom=125\r\nState=0\r\nRight=Stra\xc3\x9f" "e\r\n"
                                          "[Paths]\r\nLogfiles=/home/j\xc3\xbcrgen\r\n");
    EXPECT_EQ(IniFile::GetString(mixed, "General", "Left", ""), QString::fromUtf8("Büro"));

    // The line with the old byte itself is rewritten in UTF-8 when its own key is written.
    const QString own = t.File("own.ini", "[A]\nname=Caf\xe9\nz=\xc3\xa9\n");
    ASSERT_TRUE(IniFile::WriteString(own, "A", "name", QString::fromUtf8("Thé")));
    EXPECT_EQ(t.Read("own.ini"), QByteArray("[A]\nname=Th\xc3\xa9\nz=\xc3\xa9\n"));
}

TEST(IniFileWrite, ValuesThatAReadWouldChangeAreQuotedSoTheyReadBack) {
    TempTree t;
    const QString path = t.Path("q.ini");
    const QStringList values{" lead", "trail ", "\"quoted\"", "'single'", "plain", "", "two\r\nlines"};
    for (int i = 0; i < values.size(); ++i) ASSERT_TRUE(IniFile::WriteString(path, "Q", QString::number(i), values[i]));
    for (int i = 0; i < values.size() - 1; ++i) EXPECT_EQ(IniFile::GetString(path, "Q", QString::number(i), "d"), values[i]);
    EXPECT_EQ(IniFile::GetString(path, "Q", "6", "d"), "two lines");
    EXPECT_TRUE(t.Read("q.ini").contains("4=plain\r\n"));
}

TEST(IniFileWrite, SectionEmptyIsThePartBeforeTheFirstHeader) {
    TempTree t;
    const QString path = t.File("l.lang", "1=one\n[X]\nk=v\n");
    ASSERT_TRUE(IniFile::WriteString(path, "", "2", "two"));
    EXPECT_EQ(t.Read("l.lang"), QByteArray("1=one\n2=two\n[X]\nk=v\n"));
}

TEST(IniFileWrite, FailsWithoutAFolderAndRefusesNamesThatCannotStandInAFile) {
    TempTree t;
    EXPECT_FALSE(IniFile::WriteString(t.Path("missing/a.ini"), "A", "k", "v"));
    EXPECT_FALSE(IniFile::WriteString(t.Path("a.ini"), "A", "k=x", "v"));
    EXPECT_FALSE(IniFile::WriteString(t.Path("a.ini"), "A]", "k", "v"));
    EXPECT_FALSE(IniFile::WriteString(t.Path("a.ini"), "A", " ", "v"));
    EXPECT_FALSE(t.Exists("a.ini"));
}

TEST(IniFileWrite, LeavesNoTemporaryFilesAndKeepsASymbolicLinkALink) {
    TempTree t;
    const QString real = t.File("real.ini", "[A]\nx=1\n");
    ASSERT_EQ(::symlink(real.toUtf8().constData(), t.Path("link.ini").toUtf8().constData()), 0);
    ASSERT_TRUE(IniFile::WriteString(t.Path("link.ini"), "A", "x", "2"));
    EXPECT_TRUE(QFileInfo(t.Path("link.ini")).isSymLink());
    EXPECT_EQ(t.Read("real.ini"), QByteArray("[A]\nx=2\n"));
    for (const QString& name : t.List()) {
        EXPECT_TRUE(name == "real.ini" || name == "link.ini") << qPrintable(name);
    }
}

TEST(IniFileWrite, WholeFileInOrderWithCrLf) {
    TempTree t;
    const QString path = t.File("p.tdp", "[Old]\nstale=1\n");
    ASSERT_TRUE(IniFile::WriteWholeFile(path, {{"B", {{"k", "v"}, {"a", " x"}}}, {"A", {}}}));
    EXPECT_EQ(t.Read("p.tdp"), QByteArray("[B]\r\nk=v\r\na=\" x\"\r\n[A]\r\n"));
}

// Two real processes write the same file at once, starting from no file and from one that
// exists: every key of both arrives (no two ever held the lock together), and no lock file is
// left beside it.
TEST(IniFileWrite, TwoProcessesAtOnceLoseNoKeysAndLeaveNoLockFile) {
    constexpr int kWrites = 150;
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

// A file beyond what the reader takes in is never rewritten from its first part.
TEST(IniFileWrite, AnOverLargeFileIsRefusedNotCut) {
    TempTree t;
    const QString path = t.File("huge.ini", "[A]\nx=1\n");
    ASSERT_TRUE(QFile::resize(path, IniFileIo::MaxFileBytes + 1));  // sparse: cheap to make
    EXPECT_FALSE(IniFile::WriteString(path, "A", "x", "2"));
    EXPECT_EQ(QFileInfo(path).size(), IniFileIo::MaxFileBytes + 1);
}

TEST(IniFileRead, FoldersAndPipesAreNoFiles) {
    TempTree t;
    t.Folder("dir.ini");
    EXPECT_TRUE(IniFile::GetSectionNames(t.Path("dir.ini")).isEmpty());
    ASSERT_EQ(::mkfifo(t.Path("pipe.ini").toUtf8().constData(), 0600), 0);
    EXPECT_TRUE(IniFile::GetSectionNames(t.Path("pipe.ini")).isEmpty());  // returns at once
}

}  // namespace
