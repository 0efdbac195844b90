#include "engine/Masks.h"

#include <gtest/gtest.h>

namespace {
bool Match(const QString& name, const QString& mask) { return MatchesMask(UpperName(name), UpperName(mask)); }
}  // namespace

TEST(Masks, StarMatchesEveryNameStarDotStarOnlyNamesWithADot) {
    EXPECT_TRUE(Match("readme", "*"));
    EXPECT_TRUE(Match("a.txt", "*"));
    EXPECT_FALSE(Match("readme", "*.*"));
    EXPECT_TRUE(Match("a.txt", "*.*"));
    EXPECT_TRUE(Match(".hidden", "*.*"));
}

TEST(Masks, WildcardsDigitsAndLists) {
    EXPECT_TRUE(Match("a1.log", "?#.LOG"));
    EXPECT_FALSE(Match("ab.log", "?#.log"));
    EXPECT_FALSE(Match("a.log", "?#.log"));
    EXPECT_TRUE(Match("x7", "[a-z]#"));
    EXPECT_FALSE(Match("77", "[a-z]#"));
    EXPECT_TRUE(Match("a", "[a-z]"));  // both ends of a range belong to it
    EXPECT_TRUE(Match("z", "[a-z]"));
    EXPECT_FALSE(Match("a", "[b-z]"));
    EXPECT_TRUE(Match("77", "[!a-z]#"));
    EXPECT_FALSE(Match("x7", "[!a-z]#"));
    EXPECT_TRUE(Match("b", "[abc]"));
    EXPECT_FALSE(Match("d", "[abc]"));
    EXPECT_TRUE(Match("-", "[a-]"));   // a trailing '-' stands for itself
    EXPECT_TRUE(Match("*", "[*]"));    // inside a list '*' is a plain character
    EXPECT_FALSE(Match("x", "[*]"));
    EXPECT_TRUE(Match("[x", "[x"));    // an unclosed '[' stands for itself
    EXPECT_TRUE(Match("ab", "a[]b"));  // an empty list stands for nothing
}

TEST(Masks, StarsBacktrack) {
    EXPECT_TRUE(Match("a.b.c.txt", "*.txt"));
    EXPECT_TRUE(Match("abcabd", "*abd"));
    EXPECT_TRUE(Match("abc", "a*b*c"));
    EXPECT_FALSE(Match("abcx", "a*b*c"));
    EXPECT_TRUE(Match("abc", "***"));
    EXPECT_TRUE(Match("", "*"));
    EXPECT_FALSE(Match("", "?"));
}

TEST(Masks, CaseIsIgnoredBlanksAreKept) {
    EXPECT_TRUE(Match("Report.TXT", "*.txt"));
    EXPECT_TRUE(Match("report.txt", "*.TXT"));
    EXPECT_TRUE(Match("Ärger.txt", "ä*"));
    EXPECT_FALSE(Match("a.txt", " *.txt"));  // the blank belongs to the mask
    EXPECT_TRUE(Match(" a.txt", " *.txt"));
}

TEST(Masks, SplitKeepsBlanksAndEmptyPieces) {
    EXPECT_EQ(SplitMasks("*.txt; *.doc;"), (QStringList{"*.TXT", " *.DOC", ""}));
    EXPECT_EQ(SplitMasks(""), QStringList{""});
}

TEST(Masks, IncludeThenExcludeAndEmptyTexts) {
    const MaskSet set = BuildMaskSet("*.TXT;*.doc", "~*");
    EXPECT_TRUE(MatchesMaskSet(UpperName("Report.txt"), set));
    EXPECT_FALSE(MatchesMaskSet(UpperName("~Report.txt"), set));
    EXPECT_FALSE(MatchesMaskSet(UpperName("report.bak"), set));
    EXPECT_TRUE(MatchesMaskSet(UpperName("x.DOC"), set));

    // An empty include text lists nothing; an empty exclude text excludes nothing.
    EXPECT_FALSE(MatchesMaskSet(UpperName("a.txt"), BuildMaskSet("", "")));
    EXPECT_TRUE(MatchesMaskSet(UpperName("a.txt"), BuildMaskSet("*", "")));
    // ";;" yields an empty mask, which matches only the empty name.
    EXPECT_FALSE(MatchesMaskSet(UpperName("a.txt"), BuildMaskSet(";;", "")));

    EXPECT_TRUE(MatchesDeleteMasks(UpperName("x.TMP"), SplitMasks("*.bak;*.tmp")));
    EXPECT_FALSE(MatchesDeleteMasks(UpperName("x.txt"), SplitMasks("*.bak;*.tmp")));
    EXPECT_FALSE(MatchesDeleteMasks(UpperName("x.txt"), SplitMasks("")));
}

TEST(Masks, ScanShortcutsAgreeWithTheFullTest) {
    EXPECT_TRUE(PassesEveryName(BuildMaskSet("*", "")));
    EXPECT_TRUE(PassesEveryName(BuildMaskSet("*.txt;*", ";")));
    EXPECT_FALSE(PassesEveryName(BuildMaskSet("*", "~*")));
    EXPECT_FALSE(PassesEveryName(BuildMaskSet("*.*", "")));
    EXPECT_TRUE(MatchesNoName(SplitMasks("")));
    EXPECT_TRUE(MatchesNoName(SplitMasks(";;")));
    EXPECT_FALSE(MatchesNoName(SplitMasks("; ")));  // a blank is a mask of its own
}
