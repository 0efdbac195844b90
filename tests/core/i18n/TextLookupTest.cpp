// The language file reader and the text lookup: file rules, duplicates, references, FormatMsg
// escapes and arguments, the shared instance and damaged files.

#include "i18n/TextLookup.h"

#include "config/ProgramSettings.h"
#include "platform/SystemInfo.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

// A program folder in a temporary tree holding the language files of one test, and a sink that
// collects the duplicate-key messages instead of showing them.
class TextLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedProgramFolder_ = ProgramFolder();
        SetProgramFolderForTests(tree_.Path());
        clsLocalizeControls::SetDuplicateSink(
            [this](const QString& text, const QString& title) { messages_ << text + " @ " + title; });
    }
    void TearDown() override {
        clsLocalizeControls::SetDuplicateSink({});
        ReloadLocalizer();
        SetProgramFolderForTests(savedProgramFolder_);
    }
    QString Write(const QString& language, const QByteArray& contents) { return tree_.File(language + ".lang", contents); }

    IsolatedEnvironment env_;
    TempTree tree_;
    QString savedProgramFolder_;
    QStringList messages_;
};

enum class Ask { Msg, Tip, Control, ControlTip, Has };

// One file with every reading rule: text and tooltip split at the first '|', keys without regard
// to case, the first of two equal keys wins, ':' references followed once for controls only,
// escapes in the file's text but never in an argument, placeholders filled once, and only the
// section before any header (or an explicit empty one) read.
TEST_F(TextLookupTest, ReadingRulesAndFormatting) {
    const QString path = Write("Rules",
                               "; a comment\n"
                               "1=Text only|\n2=|Tooltip only\n3=Caption|Tip|ignored third part\n4=No bar at all\n5=|\n6=\n"
                               "7=first\n7=second\n8=text|tip\n8=other|other tip\n"
                               "homepage=https://a.example/\nHOMEPAGE=https://b.example/\n"
                               "10=Copy %1 to %2?\n11=Line one\\nLine two\\r\\nLine three\n12=Folder: %1\n"
                               "13=%1 and %1 again, then %3\n14=%10 is %1 followed by 0\n15=100%% sure, 5% off\n"
                               "16=|Tip for %1\\n\n"
                               "20=:22|:23\n22=Target text|Target tip\n23=Other|Third tip\n24=::22\n:22=Colon key\n"
                               "25=:25\n26=:missing|:missing\n"
                               "30=%1 -> %2\n31=%2%1Size%1%3\n32=%10/%2\n"
                               "just words\n|\n=orphan value\n"
                               "[Other]\n40=in another section\n[]\n41=in a repeated empty section\n");
    const clsLocalizeControls texts("Rules");
    QStringList ten;
    for (int i = 1; i <= 10; ++i) ten << QString("a%1").arg(i);
    const struct {
        Ask ask;
        const char* key;
        QStringList args;
        QString expected;
    } cases[] = {
        {Ask::Msg, "1", {}, "Text only"}, {Ask::Has, "1", {}, "text"}, {Ask::Has, "2", {}, "tip"},
        {Ask::Tip, "2", {}, "Tooltip only"}, {Ask::Msg, "3", {}, "Caption"}, {Ask::Tip, "3", {}, "Tip"},
        {Ask::Msg, "4", {}, "No bar at all"}, {Ask::Has, "5", {}, ""}, {Ask::Has, "6", {}, ""},
        {Ask::Msg, "7", {}, "first"}, {Ask::Msg, "8", {}, "text"}, {Ask::Tip, "8", {}, "tip"},
        {Ask::Msg, "HomePage", {}, "https://a.example/"},
        {Ask::Msg, "10", {"/home/a", "/mnt/b"}, "Copy /home/a to /mnt/b?"},
        {Ask::Msg, "11", {}, "Line one\nLine two\r\nLine three"},
        {Ask::Msg, "12", {"/data/new\\name"}, "Folder: /data/new\\name"}, {Ask::Msg, "13", {"x"}, "x and x again, then %3"},
        {Ask::Msg, "14", {"A"}, "A0 is A followed by 0"}, {Ask::Msg, "15", {"x"}, "100%% sure, 5% off"},
        {Ask::Tip, "16", {"B"}, "Tip for B\n"}, {Ask::Msg, "16", {}, ""}, {Ask::Msg, "404", {}, ""},
        {Ask::Control, "20", {}, "Target text"}, {Ask::ControlTip, "20", {}, "Third tip"},
        {Ask::Control, "24", {}, "Colon key"}, {Ask::Control, "25", {}, ":25"}, {Ask::Control, "26", {}, ""},
        {Ask::ControlTip, "26", {}, ""}, {Ask::Msg, "20", {}, ":22"},
        {Ask::Msg, "30", {"report%2.txt", "B"}, "report%2.txt -> B"},
        {Ask::Msg, "31", {"|", "Left", "Right"}, "Left|Size|Right"}, {Ask::Msg, "32", ten, "a10/a2"},
        {Ask::Has, "just words", {}, ""}, {Ask::Has, "|", {}, ""}, {Ask::Has, "", {}, ""}, {Ask::Has, "40", {}, ""},
        {Ask::Has, "41", {}, ""},
    };
    for (const auto& c : cases) {
        QString got;
        switch (c.ask) {
        case Ask::Msg: got = texts.FormatMsg(c.key, c.args); break;
        case Ask::Tip: got = texts.FormatToolTip(c.key, c.args); break;
        case Ask::Control: got = texts.ControlText(c.key); break;
        case Ask::ControlTip: got = texts.ControlToolTip(c.key); break;
        case Ask::Has: got = QString(texts.HasText(c.key) ? "text" : "") + (texts.HasToolTip(c.key) ? "tip" : ""); break;
        }
        EXPECT_EQ(got, c.expected) << "key " << c.key;
    }
    // Each refused addition is reported: key 7 once (text only), key 8 twice (text and tooltip).
    const QString twice = "Item %1 exists twice in language file! @ " + path;
    EXPECT_EQ(messages_, (QStringList{twice.arg(7), twice.arg(8), twice.arg(8), twice.arg("HOMEPAGE")}));

    Write("Explicit", "[Other]\n2=x\n[]\n3=explicit empty section\n");
    const clsLocalizeControls explicitSection("Explicit");
    EXPECT_EQ(explicitSection.FormatMsg("3"), "explicit empty section");
    EXPECT_FALSE(explicitSection.HasText("2"));
}

TEST_F(TextLookupTest, NoNameMissingEmptyAndBinaryFilesLoadWhatTheyCanAndNeverFail) {
    Write(QString(), "1=would be read if the empty name were used\n");
    const clsLocalizeControls none{QString()};
    EXPECT_TRUE(none.FilePath().isEmpty());
    EXPECT_FALSE(none.HasText("1"));
    const clsLocalizeControls missing("Nowhere");
    EXPECT_EQ(missing.FilePath(), tree_.Path("Nowhere.lang"));
    EXPECT_FALSE(missing.HasText("1"));
    Write("Empty", QByteArray());
    EXPECT_FALSE(clsLocalizeControls("Empty").HasText("1"));

    // The readable line comes first: random bytes may well hold a "[" that opens a section. Text
    // that is not UTF-8 is read as Windows-1252.
    QByteArray binary("42=Gr\xF6\xDF" "e \x80 5\n");
    for (int i = 0; i < 64 * 1024; ++i) binary.append(static_cast<char>(QRandomGenerator::global()->bounded(256)));
    Write("Binary", binary);
    EXPECT_EQ(clsLocalizeControls("Binary").FormatMsg("42"), QStringLiteral("Gr\u00f6\u00dfe \u20ac 5"));
}

TEST_F(TextLookupTest, SharedInstanceReadsTheSettingAndEnglishWhenNoneIsSet) {
    Write("English", "128=Destination\n");
    Write("Deutsch", "128=Ziel\n");
    Settings().LanguageName.clear();
    ReloadLocalizer();
    EXPECT_EQ(Localizer().LanguageName(), "English");
    EXPECT_EQ(FormatMsg(128), "Destination");
    Settings().LanguageName = "Deutsch";
    // The instance stays until it is replaced on purpose.
    EXPECT_EQ(FormatMsg(128), "Destination");
    ReloadLocalizer();
    EXPECT_EQ(FormatMsg("128"), "Ziel");
}

}  // namespace
