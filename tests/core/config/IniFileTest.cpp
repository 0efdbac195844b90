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

TEST(IniFileRead, NamesIgnoreCaseAndBlanksAndValuesLoseOnePairOfQuotes) {
    TempTree t;
    const QString path = t.File("a.ini",
        "  [ General ]  \r\n"
        "  Left = one two \r\n"
        "Quoted=\"\"inner\"\"\r\n"
        "Single=' x '\r\n"
        "Eq=a=b=c\r\n"
        "NoValue\r\n"
        "; comment=1\r\n");
    const IniFile::Document doc = IniFile::Document::Load(path);
    EXPECT_EQ(doc.GetString("general", "LEFT", "d"), "one two");
    EXPECT_EQ(doc.GetString("GENERAL ", " left", "d"), "one two");
    EXPECT_EQ(doc.GetString("General", "Quoted", "d"), "\"inner\"");
    EXPECT_EQ(doc.GetString("General", "Single", "d"), " x ");
    EXPECT_EQ(doc.GetString("General", "Eq", "d"), "a=b=c");
    EXPECT_EQ(doc.GetString("General", "NoValue", "d"), "");
    EXPECT_EQ(doc.GetString("General", "; comment", "d"), "d");
    EXPECT_EQ(doc.GetString("General", "Missing", "d"), "d");
    EXPECT_EQ(doc.GetString("Other", "Left", "d"), "d");
    EXPECT_EQ(doc.SectionNames(), QStringList{"General"});
    EXPECT_EQ(doc.KeyNames("general"), (QStringList{"Left", "Quoted", "Single", "Eq", "NoValue"}));
}

TEST(IniFileRead, IntegersComeFromTheLeadingNumber) {
    TempTree t;
    const QString path = t.File("a.ini",
        "[N]\nneg=-5\nplus=+3\nlead= 12abc\nempty=\ntext=abc\nbig=99999999999\nsmall=-99999999999\nsign=-\n");
    EXPECT_EQ(IniFile::GetInt(path, "N", "neg", 7), -5);
    EXPECT_EQ(IniFile::GetInt(path, "N", "plus", 7), 3);
    EXPECT_EQ(IniFile::GetInt(path, "N", "lead", 7), 12);
    EXPECT_EQ(IniFile::GetInt(path, "N", "empty", 7), 7);
    EXPECT_EQ(IniFile::GetInt(path, "N", "text", 7), 7);
    EXPECT_EQ(IniFile::GetInt(path, "N", "big", 7), INT_MAX);
    EXPECT_EQ(IniFile::GetInt(path, "N", "small", 7), INT_MIN);
    EXPECT_EQ(IniFile::GetInt(path, "N", "sign", 7), 7);
    EXPECT_EQ(IniFile::GetInt(path, "N", "missing", 7), 7);
    EXPECT_EQ(IniFile::GetInt(t.Path("none.ini"), "N", "neg", 7), 7);
}

TEST(IniFileRead, FirstSectionAndFirstKeyWinAndEntriesBeforeAHeaderAreSectionEmpty) {
    TempTree t;
    const QString path = t.File("a.ini", "top=1\n[S]\nk=first\nK=second\n[s]\nk=third\nother=4\n[T]\n");
    const IniFile::Document doc = IniFile::Document::Load(path);
    EXPECT_EQ(doc.GetString("", "top", "d"), "1");
    EXPECT_EQ(doc.GetString("S", "k", "d"), "first");
    EXPECT_EQ(doc.GetString("S", "other", "d"), "d");
    EXPECT_EQ(doc.SectionNames(), (QStringList{"", "S", "T"}));
    EXPECT_TRUE(doc.HasSection("t"));
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

TEST(IniFileRead, Windows1252FilesAreReadAsSuch) {
    TempTree t;
    const QString path = t.File("a.ini", "[G]\nName=Caf\xe9 \x80 \x93q\x94\n");
    EXPECT_EQ(IniFile::GetString(path, "G", "Name", ""), QString::fromUtf8("Café € “q”"));
    const QString utf8 = t.File("b.ini", "\xEF\xBB\xBF[G]\nName=Caf\xc3\xa9\n");
    EXPECT_EQ(IniFile::GetString(utf8, "G", "Name", ""), QString::fromUtf8("Café"));
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

TEST(IniFileRead, AStrayOldCodePageByteSpoilsOnlyItsOwnLine) {
    TempTree t;
    // UTF-8 throughout, except one Windows-1252 dash in a comment and one old value.
    const QByteArray body = "; edited on the old system \x96 keep\r\n[G]\r\nName=M\xc3\xbcller \xe2\x82\xac\r\n"
                            "Old=Stra\xdf" "e\r\nLast=\xc3\xa9t\xc3\xa9";
    for (const QByteArray& bom : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
        const QString path = t.File("mixed.ini", bom + body);
        const IniFile::Document doc = IniFile::Document::Load(path);
        EXPECT_EQ(doc.GetString("G", "Name", ""), QString::fromUtf8("Müller €")) << bom.size();
        EXPECT_EQ(doc.GetString("G", "Old", ""), QString::fromUtf8("Straße")) << bom.size();
        EXPECT_EQ(doc.GetString("G", "Last", ""), QString::fromUtf8("été")) << bom.size();
    }
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
