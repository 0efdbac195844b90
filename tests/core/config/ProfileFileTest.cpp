#include "config/PasswordScramble.h"
#include "config/ProfileFile.h"
#include "platform/IniFile.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

Profile SampleProfile() {
    Profile p;
    p.Options.ListName = {"Work", "Stick"};
    p.Options.SynchMedium = {false, true};
    p.Options.CheckArchiveAttr = 32;
    p.Options.TimeLag = 2.0 / 86400;
    p.Options.CompareDate = true;
    p.Options.CompareSize = true;
    p.Options.ResetArchiveAttrSource = true;
    p.Options.Username = {"", "bob"};
    p.Options.Password = {"", "abc"};
    p.View.ShowEmptyFolders = true;
    p.View.Filter1 = 2;
    p.View.Filter2 = 1;
    p.View.SyncOptions = {true, false, false, true, false};
    p.Options.PropagateDeletions = true;
    FolderPair a;
    a.Dir = {"/home/u/Documents", "%MyDocuments%/copy"};
    a.AutoCreate = {false, true};
    a.Hidden = {false, true};
    a.Mask = {"", "tmp;cache", "*.txt", "*.bak", "~*"};
    FolderPair b;
    b.Dir = {"//server/share", "DATA/Backup"};
    b.SubDirs = false;
    b.System = {false, false};
    p.Pairs = {a, b};
    return p;
}

TEST(ProfileFile, SavedByteForByteInTheDocumentedOrderAndForms) {
    TempTree t;
    const QString path = t.Path("p.tdp");
    ASSERT_TRUE(WriteProfileFile(path, SampleProfile()));
    const QByteArray expected =
        "[General]\r\nLeft=Work\r\nRight=Stick\r\nSynchMediumLeft=0\r\nSynchMediumRight=1\r\n"
        "CheckArchiveAttr=32\r\nCompareDate=1\r\nTimeLag=00:00:02\r\nCompareSize=1\r\n"
        "ResetArchiveAttrSource=1\r\nResetArchiveAttrDest=0\r\nPropagateDeletions=1\r\nUsername0=\r\nUsername1=bob\r\n"
        "Password0=\r\nPassword1=" + ScrambleProfilePassword("abc").toLatin1() + "\r\n"
        "[0]\r\nED=1\r\nF1=2\r\nF2=1\r\nSO0=1\r\nSO1=0\r\nSO2=0\r\nSO3=1\r\nSO4=0\r\n"
        "[1]\r\nS=/home/u/Documents\r\nD=%MyDocuments%/copy\r\nSA=0\r\nDA=1\r\nSu=1\r\nHD=0\r\nHF=1\r\n"
        "SD=1\r\nSF=1\r\nIS=\r\nES=tmp;cache\r\nIF=*.txt\r\nEF=*.bak\r\nDF=~*\r\n"
        "[2]\r\nS=//server/share\r\nD=DATA/Backup\r\nSA=0\r\nDA=0\r\nSu=0\r\nHD=1\r\nHF=1\r\n"
        "SD=0\r\nSF=0\r\nIS=\r\nES=\r\nIF=\r\nEF=\r\nDF=\r\n";
    EXPECT_EQ(t.Read("p.tdp"), expected);
    EXPECT_EQ(ScrambleProfilePassword("abc").size(), 6);
}

TEST(ProfileFile, ReadsBackWhatItWrote) {
    TempTree t;
    const QString path = t.Path("p.tdp");
    ASSERT_TRUE(WriteProfileFile(path, SampleProfile()));
    const QByteArray first = t.Read("p.tdp");
    Profile read;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions{}, read));
    EXPECT_EQ(read.Options.Password, SampleProfile().Options.Password);
    EXPECT_EQ(read.Pairs[1].Dir, SampleProfile().Pairs[1].Dir);
    // The save writes every field: the same bytes again mean that every field was read back.
    ASSERT_TRUE(WriteProfileFile(path, read));
    EXPECT_EQ(t.Read("p.tdp"), first);
}

TEST(ProfileFile, PasswordsOfAnyScriptReadBack) {
    TempTree t;
    const QString path = t.Path("p.tdp");
    Profile written = SampleProfile();
    written.Options.Password = {QString::fromUtf8("Zugang€ä"), QString::fromUtf8("пароль \xF0\x9F\x94\x91")};
    ASSERT_TRUE(WriteProfileFile(path, written));
    Profile read;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions{}, read));
    EXPECT_EQ(read.Options.Password, written.Options.Password);
    // The Windows-1252 one keeps the original form: two digits per character.
    EXPECT_TRUE(t.Read("p.tdp").contains("Password0=" + ScrambleProfilePassword(written.Options.Password[0]).toLatin1() + "\r\n"));
    EXPECT_EQ(ScrambleProfilePassword(written.Options.Password[0]).size(), 16);
}

TEST(ProfileFile, OneOldCodePageByteInACommentLeavesTheValuesIntactAcrossASave) {
    TempTree t;
    // Written by hand in UTF-8, with one Windows-1252 dash pasted into a comment.
    const QString path = t.File("hand.tdp",
                                "; Sicherung \x96 jeden Abend\r\n[General]\r\nLeft=B\xc3\xbcro\r\nRight=Stra\xc3\x9f" "e\r\n"
                                "[1]\r\nS=/home/j\xc3\xbcrgen/Dokumente\r\nD=/media/\xc3\xa9t\xc3\xa9\r\nEF=*.\xc3\xa4\r\n");
    Profile loaded;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions(), loaded));
    EXPECT_EQ(loaded.Options.ListName[0], QString::fromUtf8("Büro"));
    EXPECT_EQ(loaded.Options.ListName[1], QString::fromUtf8("Straße"));
    ASSERT_EQ(loaded.Pairs.size(), 1);
    EXPECT_EQ(loaded.Pairs[0].Dir[0], QString::fromUtf8("/home/jürgen/Dokumente"));
    EXPECT_EQ(loaded.Pairs[0].Dir[1], QString::fromUtf8("/media/été"));
    EXPECT_EQ(loaded.Pairs[0].Mask[MaskExcludeFiles], QString::fromUtf8("*.ä"));

    // The profile is rewritten whole; its values come back as they were.
    ASSERT_TRUE(WriteProfileFile(path, loaded));
    EXPECT_TRUE(t.Read("hand.tdp").contains("S=/home/j\xc3\xbcrgen/Dokumente\r\n"));
    Profile again;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions(), again));
    EXPECT_EQ(again.Options.ListName, loaded.Options.ListName);
    EXPECT_EQ(again.Pairs[0].Dir, loaded.Pairs[0].Dir);
    EXPECT_EQ(again.Pairs[0].Mask, loaded.Pairs[0].Mask);
}

TEST(ProfileFile, PairsAreTakenInFileOrderAndRenumberedOnSave) {
    TempTree t;
    const QString path = t.File("p.tdp",
        "[General]\n[0]\n[3]\nS=/three\n[Notes]\nS=/ignored\n[1]\nS=/one\n[1.5]\nS=/half\n[inf]\nS=/no\n");
    Profile p;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions{}, p));
    ASSERT_EQ(p.Pairs.size(), 3);
    EXPECT_EQ(p.Pairs[0].Dir[0], "/three");
    EXPECT_EQ(p.Pairs[1].Dir[0], "/one");
    EXPECT_EQ(p.Pairs[2].Dir[0], "/half");
    ASSERT_TRUE(WriteProfileFile(path, p));
    Profile again;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions{}, again));
    EXPECT_EQ(IniFile::GetSectionNames(path), QStringList({"General", "0", "1", "2", "3"}));
    EXPECT_EQ(again.Pairs[0].Dir[0], "/three");
    EXPECT_EQ(again.Pairs[1].Dir[0], "/one");
}

TEST(ProfileFile, MissingKeysAndSectionsTakeTheirDefaults) {
    TempTree t;
    const QString path = t.File("p.tdp", "[general]\nleft=L\n[7]\nS=/x\n");
    ProfileOptions defaults;
    defaults.ListName = {"dl", "dr"};
    defaults.CompareSize = false;
    defaults.CheckArchiveAttr = 32;
    defaults.SynchMedium = {true, false};
    defaults.TimeLag = 2.0 / 86400;
    defaults.ResetArchiveAttrDest = true;
    Profile p;
    ASSERT_TRUE(ReadProfileFile(path, defaults, p));
    // Saved again, every value shows: the settings' defaults for the options, every toggle off
    // and the first filter buttons without [0], and a pair's own defaults.
    ASSERT_TRUE(WriteProfileFile(path, p));
    EXPECT_EQ(t.Read("p.tdp"),
              QByteArray("[General]\r\nLeft=L\r\nRight=dr\r\nSynchMediumLeft=1\r\nSynchMediumRight=0\r\n"
                         "CheckArchiveAttr=32\r\nCompareDate=1\r\nTimeLag=00:00:02\r\nCompareSize=0\r\n"
                         "ResetArchiveAttrSource=0\r\nResetArchiveAttrDest=1\r\nPropagateDeletions=0\r\nUsername0=\r\nUsername1=\r\n"
                         "Password0=\r\nPassword1=\r\n[0]\r\nED=0\r\nF1=0\r\nF2=0\r\nSO0=0\r\nSO1=0\r\nSO2=0\r\n"
                         "SO3=0\r\nSO4=0\r\n[1]\r\nS=/x\r\nD=\r\nSA=0\r\nDA=0\r\nSu=1\r\nHD=1\r\nHF=1\r\n"
                         "SD=1\r\nSF=1\r\nIS=\r\nES=\r\nIF=\r\nEF=\r\nDF=\r\n"));
}

TEST(ProfileFile, CompareDateFollowsTheTimeLag) {
    TempTree t;
    Profile p;
    p.Options.TimeLag = MaxDateValue;
    p.Options.CompareDate = false;
    ASSERT_TRUE(WriteProfileFile(t.Path("off.tdp"), p));
    EXPECT_TRUE(t.Read("off.tdp").contains("CompareDate=0\r\nTimeLag=9999-12-31 23:59:59\r\n"));
    Profile read;
    ASSERT_TRUE(ReadProfileFile(t.Path("off.tdp"), ProfileOptions{}, read));
    EXPECT_FALSE(read.Options.CompareDate);
    EXPECT_GT(read.Options.TimeLag, 2958465.0);

    // "CompareDate" in the file does not decide; the time lag does.
    t.File("on.tdp", "[General]\nCompareDate=0\nTimeLag=00:00:02\n");
    ASSERT_TRUE(ReadProfileFile(t.Path("on.tdp"), ProfileOptions{}, read));
    EXPECT_TRUE(read.Options.CompareDate);
    // An unreadable time lag takes the default settings' one.
    t.File("bad.tdp", "[General]\nTimeLag=soon\n");
    ProfileOptions defaults;
    defaults.TimeLag = MaxDateValue;
    ASSERT_TRUE(ReadProfileFile(t.Path("bad.tdp"), defaults, read));
    EXPECT_DOUBLE_EQ(read.Options.TimeLag, MaxDateValue);
    EXPECT_FALSE(read.Options.CompareDate);
}

TEST(ProfileFile, AFileWithoutSectionsIsNotAProfile) {
    TempTree t;
    Profile p;
    p.Options.ListName[0] = "kept";
    EXPECT_FALSE(ReadProfileFile(t.Path("missing.tdp"), ProfileOptions{}, p));
    EXPECT_FALSE(ReadProfileFile(t.File("empty.tdp", ""), ProfileOptions{}, p));
    EXPECT_FALSE(ImportProfilePairs(t.Path("missing.tdp"), p));
    EXPECT_EQ(p.Options.ListName[0], "kept");
}

TEST(ProfileFile, ImportAppendsPairsOnly) {
    TempTree t;
    const QString path = t.File("other.tdp", "[General]\nLeft=Other\n[0]\nED=1\n[2]\nS=/b\n[1]\nS=/a\n");
    Profile p = SampleProfile();
    ASSERT_TRUE(ImportProfilePairs(path, p));
    ASSERT_EQ(p.Pairs.size(), 4);
    EXPECT_EQ(p.Pairs[2].Dir[0], "/b");
    EXPECT_EQ(p.Pairs[3].Dir[0], "/a");
    EXPECT_EQ(p.Options.ListName[0], "Work");
}

TEST(ProfileFile, ASaveThatCannotBeWrittenReportsIt) {
    TempTree t;
    EXPECT_FALSE(WriteProfileFile(t.Path("no/such/folder/p.tdp"), SampleProfile()));
}

}  // namespace
