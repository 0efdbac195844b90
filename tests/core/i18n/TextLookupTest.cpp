// The language file reader and the text lookup: file rules, duplicates, references,
// FormatMsg escapes and arguments, the shared instance, damaged files and load time.

#include "i18n/TextLookup.h"

#include "config/ProgramSettings.h"
#include "platform/SystemInfo.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

namespace {

struct Message {
    QString text;
    QString title;
};

// A program folder in a temporary tree holding the language files of one test, and a sink that
// collects the duplicate-key messages instead of showing them.
class TextLookupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedProgramFolder_ = ProgramFolder();
        SetProgramFolderForTests(tree_.Path());
        clsLocalizeControls::SetDuplicateSink(
            [this](const QString& text, const QString& title) { messages_.push_back({text, title}); });
    }
    void TearDown() override
    {
        clsLocalizeControls::SetDuplicateSink({});
        ReloadLocalizer();
        SetProgramFolderForTests(savedProgramFolder_);
    }
    QString Write(const QString& language, const QByteArray& contents)
    {
        return tree_.File(language + QStringLiteral(".lang"), contents);
    }

    IsolatedEnvironment env_;
    TempTree tree_;
    QString savedProgramFolder_;
    std::vector<Message> messages_;
};

TEST_F(TextLookupTest, SplitsValuesIntoTextAndToolTip)
{
    Write(QStringLiteral("Test"),
          "1=Text only|\n"
          "2=|Tooltip only\n"
          "3=Caption|Tip|ignored third part\n"
          "4=No bar at all\n"
          "5=|\n"
          "6=\n");
    const clsLocalizeControls texts(QStringLiteral("Test"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("1")), QStringLiteral("Text only"));
    EXPECT_FALSE(texts.HasToolTip(QStringLiteral("1")));
    EXPECT_FALSE(texts.HasText(QStringLiteral("2")));
    EXPECT_EQ(texts.FormatToolTip(QStringLiteral("2")), QStringLiteral("Tooltip only"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("3")), QStringLiteral("Caption"));
    EXPECT_EQ(texts.FormatToolTip(QStringLiteral("3")), QStringLiteral("Tip"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("4")), QStringLiteral("No bar at all"));
    for (const char* key : {"5", "6"}) {
        EXPECT_FALSE(texts.HasText(QLatin1String(key))) << key;
        EXPECT_FALSE(texts.HasToolTip(QLatin1String(key))) << key;
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(TextLookupTest, FirstOccurrenceWinsAndEachRefusedAdditionIsReported)
{
    const QString path = Write(QStringLiteral("Dup"),
                               "7=first\n"
                               "7=second\n"
                               "8=text|tip\n"
                               "8=other|other tip\n");
    const clsLocalizeControls texts(QStringLiteral("Dup"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("7")), QStringLiteral("first"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("8")), QStringLiteral("text"));
    EXPECT_EQ(texts.FormatToolTip(QStringLiteral("8")), QStringLiteral("tip"));
    // Key 7 once (text only), key 8 twice (text and tooltip).
    ASSERT_EQ(messages_.size(), 3U);
    EXPECT_EQ(messages_[0].text, QStringLiteral("Item 7 exists twice in language file!"));
    EXPECT_EQ(messages_[1].text, QStringLiteral("Item 8 exists twice in language file!"));
    EXPECT_EQ(messages_[2].text, QStringLiteral("Item 8 exists twice in language file!"));
    for (const Message& m : messages_)
        EXPECT_EQ(m.title, path);
}

TEST_F(TextLookupTest, KeysIgnoreCaseAndAKeyInOtherCaseIsADuplicate)
{
    Write(QStringLiteral("Case"), "homepage=https://a.example/\nHOMEPAGE=https://b.example/\n");
    const clsLocalizeControls texts(QStringLiteral("Case"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("HomePage")), QStringLiteral("https://a.example/"));
    ASSERT_EQ(messages_.size(), 1U);
    EXPECT_EQ(messages_[0].text, QStringLiteral("Item HOMEPAGE exists twice in language file!"));
}

TEST_F(TextLookupTest, OnlyTheSectionWithTheEmptyNameCounts)
{
    Write(QStringLiteral("Sections"),
          "; a comment\n"
          "1=before any header\n"
          "[Other]\n"
          "2=in another section\n"
          "[]\n"
          "3=in a repeated empty section\n");
    const clsLocalizeControls texts(QStringLiteral("Sections"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("1")), QStringLiteral("before any header"));
    EXPECT_FALSE(texts.HasText(QStringLiteral("2")));
    EXPECT_FALSE(texts.HasText(QStringLiteral("3")));

    Write(QStringLiteral("Explicit"), "[Other]\n2=x\n[]\n3=explicit empty section\n");
    const clsLocalizeControls explicitSection(QStringLiteral("Explicit"));
    EXPECT_EQ(explicitSection.FormatMsg(QStringLiteral("3")), QStringLiteral("explicit empty section"));
    EXPECT_FALSE(explicitSection.HasText(QStringLiteral("2")));
}

TEST_F(TextLookupTest, ReferencesAreFollowedOnceForControlsOnly)
{
    Write(QStringLiteral("Refs"),
          "1=:2|:3\n"
          "2=Target text|Target tip\n"
          "3=Other|Third tip\n"
          "4=::2\n"
          ":2=Colon key\n"
          "5=:5\n"
          "6=:missing|:missing\n");
    const clsLocalizeControls texts(QStringLiteral("Refs"));
    EXPECT_EQ(texts.ControlText(QStringLiteral("1")), QStringLiteral("Target text"));
    EXPECT_EQ(texts.ControlToolTip(QStringLiteral("1")), QStringLiteral("Third tip"));
    // Two colons: the target is the key ":2", not key 2.
    EXPECT_EQ(texts.ControlText(QStringLiteral("4")), QStringLiteral("Colon key"));
    // A reference to itself is followed once and ends there.
    EXPECT_EQ(texts.ControlText(QStringLiteral("5")), QStringLiteral(":5"));
    EXPECT_EQ(texts.ControlText(QStringLiteral("6")), QString());
    EXPECT_EQ(texts.ControlToolTip(QStringLiteral("6")), QString());
    // FormatMsg returns a message as written.
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("1")), QStringLiteral(":2"));
}

TEST_F(TextLookupTest, FormatMsgFillsArgumentsAndUnescapesOnlyTheLanguageText)
{
    Write(QStringLiteral("Fmt"),
          "10=Copy %1 to %2?\n"
          "11=Line one\\nLine two\\r\\nLine three\n"
          "12=Folder: %1\n"
          "13=%1 and %1 again, then %3\n"
          "14=%10 is %1 followed by 0\n"
          "15=100%% sure, 5% off\n"
          "16=|Tip for %1\\n\n");
    const clsLocalizeControls texts(QStringLiteral("Fmt"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("10"), {QStringLiteral("/home/a"), QStringLiteral("/mnt/b")}),
              QStringLiteral("Copy /home/a to /mnt/b?"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("11")), QStringLiteral("Line one\nLine two\r\nLine three"));
    // An argument keeps a backslash followed by "n".
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("12"), {QStringLiteral("/data/new\\name")}),
              QStringLiteral("Folder: /data/new\\name"));
    // Missing arguments leave their placeholders.
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("13"), {QStringLiteral("x")}),
              QStringLiteral("x and x again, then %3"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("14"), {QStringLiteral("A")}), QStringLiteral("A0 is A followed by 0"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("15"), {QStringLiteral("x")}), QStringLiteral("100%% sure, 5% off"));
    EXPECT_EQ(texts.FormatToolTip(QStringLiteral("16"), {QStringLiteral("B")}), QStringLiteral("Tip for B\n"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("16")), QString());
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("404")), QString());
}

TEST_F(TextLookupTest, ArgumentTextsAreNeverScannedForPlaceholders)
{
    Write(QStringLiteral("Args"), "1=%1 -> %2\n2=%1|%2\n");
    const clsLocalizeControls texts(QStringLiteral("Args"));
    // A file name holding "%2" reaches the user as it is.
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("1"), {QStringLiteral("report%2.txt"), QStringLiteral("B")}),
              QStringLiteral("report%2.txt -> B"));
    // The grid separator as first argument, as the column headings use it.
    Write(QStringLiteral("Grid"), "1=%2%1Size%1%3\n");
    const clsLocalizeControls grid(QStringLiteral("Grid"));
    EXPECT_EQ(grid.FormatMsg(QStringLiteral("1"), {QStringLiteral("|"), QStringLiteral("Left"), QStringLiteral("Right")}),
              QStringLiteral("Left|Size|Right"));
}

TEST_F(TextLookupTest, PlaceholderOfArgumentOneAlsoMatchesTheStartOfTen)
{
    Write(QStringLiteral("Ten"), "1=%10/%2\n");
    const clsLocalizeControls texts(QStringLiteral("Ten"));
    QStringList args;
    for (int i = 1; i <= 10; ++i)
        args << QStringLiteral("a%1").arg(i);
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("1"), args), QStringLiteral("a10/a2"));
}

TEST_F(TextLookupTest, EmptyLanguageNameGivesEmptyTables)
{
    Write(QString(), "1=would be read if the empty name were used\n");
    const clsLocalizeControls texts{QString()};
    EXPECT_TRUE(texts.FilePath().isEmpty());
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("1")), QString());
    EXPECT_EQ(texts.FormatToolTip(QStringLiteral("1")), QString());
    EXPECT_FALSE(texts.HasText(QStringLiteral("1")));
}

TEST_F(TextLookupTest, MissingEmptyAndBinaryFilesLoadNothingAndNeverFail)
{
    const clsLocalizeControls missing(QStringLiteral("Nowhere"));
    EXPECT_EQ(missing.FilePath(), tree_.Path(QStringLiteral("Nowhere.lang")));
    EXPECT_FALSE(missing.HasText(QStringLiteral("1")));
    EXPECT_EQ(missing.FormatMsg(QStringLiteral("1")), QString());

    Write(QStringLiteral("Empty"), QByteArray());
    const clsLocalizeControls empty(QStringLiteral("Empty"));
    EXPECT_FALSE(empty.HasText(QStringLiteral("1")));

    // The readable line comes first: random bytes may well hold a "[" that opens a section.
    QByteArray binary("42=still readable\n");
    auto* random = QRandomGenerator::global();
    for (int i = 0; i < 64 * 1024; ++i)
        binary.append(static_cast<char>(random->bounded(256)));
    Write(QStringLiteral("Binary"), binary);
    const clsLocalizeControls damaged(QStringLiteral("Binary"));
    EXPECT_EQ(damaged.FormatMsg(QStringLiteral("42")), QStringLiteral("still readable"));
}

TEST_F(TextLookupTest, TextThatIsNotUtf8IsReadAsWindows1252)
{
    Write(QStringLiteral("Ansi"), QByteArray("1=Gr\xF6\xDF" "e\n2=\x80 5\n"));
    const clsLocalizeControls texts(QStringLiteral("Ansi"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("1")), QStringLiteral("Gr\u00f6\u00dfe"));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("2")), QStringLiteral("\u20ac 5"));

    Write(QStringLiteral("Utf8"), QByteArray("\xEF\xBB\xBF" "1=Gr\xC3\xB6\xC3\x9F" "e\r\n"));
    const clsLocalizeControls utf8(QStringLiteral("Utf8"));
    EXPECT_EQ(utf8.FormatMsg(QStringLiteral("1")), QStringLiteral("Gr\u00f6\u00dfe"));
}

TEST_F(TextLookupTest, LinesWithoutEqualsSignOrWithABarOnlyAddNothing)
{
    Write(QStringLiteral("Odd"), "just words\n|\n1=|\n2=ok\n=orphan value\n");
    const clsLocalizeControls texts(QStringLiteral("Odd"));
    EXPECT_FALSE(texts.HasText(QStringLiteral("just words")));
    EXPECT_FALSE(texts.HasText(QStringLiteral("|")));
    EXPECT_FALSE(texts.HasToolTip(QStringLiteral("1")));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("2")), QStringLiteral("ok"));
    EXPECT_FALSE(texts.HasText(QString()));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(TextLookupTest, LongValuesAndLongKeyListsAreCutAtTheBufferSize)
{
    QByteArray contents = "1=" + QByteArray(100000, 'x') + "\n";
    // 100 names of 400 characters: about 40,100 characters, more than the list buffer holds.
    for (int i = 0; i < 100; ++i)
        contents += QByteArray::number(i).rightJustified(400, 'k') + "=v" + QByteArray::number(i) + "\n";
    Write(QStringLiteral("Long"), contents);
    const clsLocalizeControls texts(QStringLiteral("Long"));
    const QString value = texts.FormatMsg(QStringLiteral("1"));
    EXPECT_GT(value.size(), 30000);
    EXPECT_LE(value.size(), 32767);
    const QString first = QString::number(0).rightJustified(400, QLatin1Char('k'));
    const QString last = QString::number(99).rightJustified(400, QLatin1Char('k'));
    EXPECT_EQ(texts.FormatMsg(first), QStringLiteral("v0"));
    EXPECT_FALSE(texts.HasText(last));
}

TEST_F(TextLookupTest, SharedInstanceReadsTheSettingAndEnglishWhenNoneIsSet)
{
    Write(QStringLiteral("English"), "128=Destination\n");
    Write(QStringLiteral("Deutsch"), "128=Ziel\n");
    Settings().LanguageName.clear();
    ReloadLocalizer();
    EXPECT_EQ(Localizer().LanguageName(), QStringLiteral("English"));
    EXPECT_EQ(FormatMsg(128), QStringLiteral("Destination"));

    Settings().LanguageName = QStringLiteral("Deutsch");
    // The instance stays until it is replaced on purpose.
    EXPECT_EQ(FormatMsg(128), QStringLiteral("Destination"));
    ReloadLocalizer();
    EXPECT_EQ(FormatMsg(QStringLiteral("128")), QStringLiteral("Ziel"));
}

// Damaged copies of the shipped English file: flipped bytes, cut ends, doubled lines. Loading
// never fails, and every key that a doubled line repeats is reported.
TEST_F(TextLookupTest, DamagedCopiesOfTheShippedFileLoadSafely)
{
    QDir source = QFileInfo(QStringLiteral(__FILE__)).absoluteDir();
    QFile shipped(source.absoluteFilePath(QStringLiteral("../../../data/English.lang")));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray original = shipped.readAll();
    QRandomGenerator random(20240611);
    for (int round = 0; round < 200; ++round) {
        QByteArray damaged = original;
        const int kind = round % 3;
        if (kind == 0) {
            for (int i = 0; i < 20; ++i)
                damaged[random.bounded(static_cast<int>(damaged.size()))] = static_cast<char>(random.bounded(256));
        } else if (kind == 1) {
            damaged.truncate(random.bounded(static_cast<int>(damaged.size())));
        } else {
            const QList<QByteArray> lines = damaged.split('\n');
            const QByteArray line = lines[random.bounded(static_cast<int>(lines.size()))];
            damaged += "\n" + line + "\n";
        }
        messages_.clear();
        Write(QStringLiteral("Damaged"), damaged);
        const clsLocalizeControls texts(QStringLiteral("Damaged"));
        for (const char* key : {"115", "125", "4230", "90800", "1hint", "homepage"})
            (void)texts.FormatMsg(QLatin1String(key), {QStringLiteral("|"), QStringLiteral("a"), QStringLiteral("b")});
        if (kind == 2) {
            const QByteArray line = damaged.split('\n').value(damaged.split('\n').size() - 2).trimmed();
            const bool isEntry = !line.isEmpty() && !line.startsWith(';') && line.contains('=') &&
                                 line.indexOf('=') > 0 && line.mid(line.indexOf('=') + 1).trimmed() != "|" &&
                                 !line.mid(line.indexOf('=') + 1).trimmed().isEmpty();
            EXPECT_EQ(!messages_.empty(), isEntry) << line.constData();
        }
    }
}

TEST_F(TextLookupTest, LoadsThreeThousandKeysQuickly)
{
    QByteArray contents;
    for (int i = 0; i < 3000; ++i) {
        contents += QByteArray::number(10000 + i) + "=Text number " + QByteArray::number(i) +
                    " with %1 placeholder|Tooltip " + QByteArray::number(i) + "\r\n";
    }
    Write(QStringLiteral("Big"), contents);
    QElapsedTimer timer;
    timer.start();
    const clsLocalizeControls texts(QStringLiteral("Big"));
    const qint64 ms = timer.elapsed();
    std::printf("[ timing   ] 3,000-key language file loaded in %lld ms\n", static_cast<long long>(ms));
    EXPECT_EQ(texts.FormatMsg(QStringLiteral("12999"), {QStringLiteral("a")}),
              QStringLiteral("Text number 2999 with a placeholder"));
    // Generous: sanitizer builds on a busy machine are slow; the target is well under 20 ms.
    EXPECT_LT(ms, 2000);
}

}  // namespace
