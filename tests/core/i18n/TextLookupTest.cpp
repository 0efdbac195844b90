#include "i18n/TextLookup.h"

#include "platform/SystemInfo.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

enum class Ask { Msg, Tip, Control, ControlTip, Has };

// One file with every reading rule: text and tooltip split at the first '|', keys without regard
// to case, the first of two equal keys wins, ':' references followed once for controls only,
// escapes in the file's text but never in an argument, placeholders filled once, and only the
// section before any header read.
TEST(TextLookupTest, ReadingRulesAndFormatting) {
    IsolatedEnvironment env;
    TempTree tree;
    QStringList messages;
    clsLocalizeControls::SetDuplicateSink([&](const QString& text, const QString& title) { messages << text + " @ " + title; });
    const QString saved = ProgramFolder();
    SetProgramFolderForTests(tree.Path());
    const QString path = tree.File("Rules.lang",
                               "; a comment\n"
                               "2=|Tooltip only\n3=Caption|Tip|ignored third part\n"
                               "7=first\n7=second\n8=text|tip\n8=other|other tip\n"
                               "homepage=https://a.example/\nHOMEPAGE=https://b.example/\n"
                               "11=Line one\\nLine two\n13=%1 and %1 again, then %3\n14=%10 is %1 followed by 0\n"
                               "20=:22|:23\n22=Target text|Target tip\n23=Other|Third tip\n"
                               "30=%1 -> %2\n"
                               "[Other]\n40=in another section\n");
    const clsLocalizeControls texts("Rules");
    const struct {
        Ask ask;
        const char* key;
        QStringList args;
        QString expected;
    } cases[] = {
        {Ask::Has, "2", {}, "tip"}, {Ask::Msg, "3", {}, "Caption"}, {Ask::Tip, "3", {}, "Tip"},
        {Ask::Msg, "7", {}, "first"}, {Ask::Tip, "8", {}, "tip"}, {Ask::Msg, "HomePage", {}, "https://a.example/"},
        {Ask::Msg, "11", {}, "Line one\nLine two"}, {Ask::Msg, "13", {"x"}, "x and x again, then %3"},
        {Ask::Msg, "14", {"A"}, "A0 is A followed by 0"}, {Ask::Msg, "404", {}, ""},
        {Ask::Control, "20", {}, "Target text"}, {Ask::ControlTip, "20", {}, "Third tip"},
        {Ask::Msg, "20", {}, ":22"},
        {Ask::Msg, "30", {"report%2.txt", "B\\n"}, "report%2.txt -> B\\n"}, {Ask::Has, "40", {}, ""},
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
    EXPECT_EQ(messages, (QStringList{twice.arg(7), twice.arg(8), twice.arg(8), twice.arg("HOMEPAGE")}));
    clsLocalizeControls::SetDuplicateSink({});
    SetProgramFolderForTests(saved);
}

}  // namespace
