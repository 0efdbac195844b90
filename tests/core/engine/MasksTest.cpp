#include "engine/Masks.h"

#include <gtest/gtest.h>

// One name against one mask: '*', '?', '#', lists and ranges, backtracking stars, letter case
// ignored, blanks kept.
TEST(Masks, NamesAgainstOneMask) {
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"readme", "*", true},        {"readme", "*.*", false},     {".hidden", "*.*", true},
        {"a1.log", "?#.LOG", true},   {"ab.log", "?#.log", false},  {"a.log", "?#.log", false},
        {"x7", "[a-z]#", true},       {"77", "[a-z]#", false},      {"z", "[a-z]", true},
        {"a", "[b-z]", false},        {"77", "[!a-z]#", true},      {"x7", "[!a-z]#", false},
        {"d", "[abc]", false},        {"-", "[a-]", true},          {"*", "[*]", true},
        {"x", "[*]", false},          {"[x", "[x", true},           {"ab", "a[]b", true},
        {"a.b.c.txt", "*.txt", true}, {"abcabd", "*abd", true},     {"abcx", "a*b*c", false},
        {"abc", "***", true},         {"", "*", true},              {"", "?", false},
        {"Report.TXT", "*.txt", true}, {"Ärger.txt", "ä*", true},   {"a.txt", " *.txt", false},
        {" a.txt", " *.txt", true},   {"b9", "?#", true},           {"b0", "?#", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(UpperName(c.name), UpperName(c.mask)), c.matches) << c.name << " against " << c.mask;
}

// Mask texts as the user types them: ';' separates, blanks and empty pieces are masks of their
// own, an empty include text lists nothing, an empty exclude text excludes nothing.
TEST(Masks, MaskTextsIncludeThenExclude) {
    EXPECT_EQ(SplitMasks("*.txt; *.doc;"), (QStringList{"*.TXT", " *.DOC", ""}));
    const struct {
        const char* include;
        const char* exclude;
        const char* name;
        bool listed;
    } cases[] = {
        {"*.TXT;*.doc", "~*", "Report.txt", true}, {"*.TXT;*.doc", "~*", "~Report.txt", false},
        {"*.TXT;*.doc", "~*", "report.bak", false}, {"", "", "a.txt", false},
        {"*", "", "a.txt", true},                   {";;", "", "a.txt", false},
        {"*", "~*", "~a", false},                   {"*.*", "", "readme", false},
    };
    for (const auto& c : cases) {
        const MaskSet set = BuildMaskSet(c.include, c.exclude);
        EXPECT_EQ(MatchesMaskSet(UpperName(c.name), set), c.listed) << c.include << " / " << c.exclude << " " << c.name;
        // The scanner's shortcut for "every name passes" must never pass a name the full test refuses.
        if (PassesEveryName(set)) {
            EXPECT_TRUE(c.listed) << c.include << " / " << c.exclude;
        }
    }
    EXPECT_TRUE(PassesEveryName(BuildMaskSet("*", "")));
    EXPECT_TRUE(MatchesDeleteMasks(UpperName("x.TMP"), SplitMasks("*.bak;*.tmp")));
    EXPECT_FALSE(MatchesDeleteMasks(UpperName("x.txt"), SplitMasks("")));
    EXPECT_TRUE(MatchesNoName(SplitMasks(";;")));
    EXPECT_FALSE(MatchesNoName(SplitMasks("; ")));  // a blank is a mask of its own
}
