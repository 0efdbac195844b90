#include "config/PasswordScramble.h"
#include "config/ProfileFile.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

Profile SampleProfile() {
    Profile p;
    p.Options.ListName = {"Work", "Stick"};
    p.Options.SynchMedium = {false, true};
    p.Options.CheckArchiveAttr = 32;
    p.Options.TimeLag = 2.0 / 86400;
    p.Options.ResetArchiveAttrSource = true;
    p.Options.Username = {"", "bob"};
    p.Options.Password = {"abc", QString::fromUtf8("пароль \xF0\x9F\x94\x91")};
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

// The saved file byte for byte; read back and saved again, the same bytes (the save writes every
// field, so equal bytes mean every field was read back).
TEST(ProfileFile, SavedByteForByteInTheDocumentedOrderAndReadBack) {
    TempTree t;
    const QString path = t.Path("p.tdp");
    const Profile sample = SampleProfile();
    ASSERT_TRUE(WriteProfileFile(path, sample));
    const QByteArray expected =
        "[General]\r\nLeft=Work\r\nRight=Stick\r\nSynchMediumLeft=0\r\nSynchMediumRight=1\r\n"
        "CheckArchiveAttr=32\r\nCompareDate=1\r\nTimeLag=00:00:02\r\nCompareSize=1\r\n"
        "ResetArchiveAttrSource=1\r\nResetArchiveAttrDest=0\r\nPropagateDeletions=1\r\nUsername0=\r\nUsername1=bob\r\n"
        "Password0=37070F\r\n"  // the old form older versions read: each character XOR the key, in hex
        "Password1=" + ScrambleProfilePassword(sample.Options.Password[1]).toLatin1() + "\r\n"
        "[0]\r\nED=1\r\nF1=2\r\nF2=1\r\nSO0=1\r\nSO1=0\r\nSO2=0\r\nSO3=1\r\nSO4=0\r\n"
        "[1]\r\nS=/home/u/Documents\r\nD=%MyDocuments%/copy\r\nSA=0\r\nDA=1\r\nSu=1\r\nHD=0\r\nHF=1\r\n"
        "SD=1\r\nSF=1\r\nIS=\r\nES=tmp;cache\r\nIF=*.txt\r\nEF=*.bak\r\nDF=~*\r\n"
        "[2]\r\nS=//server/share\r\nD=DATA/Backup\r\nSA=0\r\nDA=0\r\nSu=0\r\nHD=1\r\nHF=1\r\n"
        "SD=0\r\nSF=0\r\nIS=\r\nES=\r\nIF=\r\nEF=\r\nDF=\r\n";
    EXPECT_EQ(t.Read("p.tdp"), expected);
    Profile read;
    ASSERT_TRUE(ReadProfileFile(path, ProfileOptions{}, read));
    EXPECT_EQ(read.Options.Password, sample.Options.Password);
    ASSERT_TRUE(WriteProfileFile(path, read));
    EXPECT_EQ(t.Read("p.tdp"), expected);
}

// Files written by hand or by older versions, read with the settings' options and saved again.
TEST(ProfileFile, FilesReadWithTheirRulesAndSavedAgain) {
    ProfileOptions defaults;
    defaults.ListName = {"dl", "dr"};
    defaults.CompareSize = false;
    defaults.CheckArchiveAttr = 32;
    defaults.SynchMedium = {true, false};
    defaults.TimeLag = 2.0 / 86400;
    defaults.ResetArchiveAttrDest = true;
    const struct {
        const char* what;
        QByteArray file;
        QList<QByteArray> saved;  // parts of the saved file
        QList<QByteArray> absent = {};
    } rows[] = {
        {"missing keys take the settings' options, toggles off, a pair its own defaults",
         "[general]\nleft=L\n[7]\nS=/x\n",
         {"[General]\r\nLeft=L\r\nRight=dr\r\nSynchMediumLeft=1\r\nSynchMediumRight=0\r\nCheckArchiveAttr=32\r\nCompareDate=1\r\n"
          "TimeLag=00:00:02\r\nCompareSize=0\r\nResetArchiveAttrSource=0\r\nResetArchiveAttrDest=1\r\nPropagateDeletions=0\r\nUsername0=\r\n"
          "Username1=\r\nPassword0=\r\nPassword1=\r\n[0]\r\nED=0\r\nF1=0\r\nF2=0\r\nSO0=0\r\nSO1=0\r\nSO2=0\r\nSO3=0\r\n"
          "SO4=0\r\n[1]\r\nS=/x\r\nD=\r\nSA=0\r\nDA=0\r\nSu=1\r\nHD=1\r\nHF=1\r\nSD=1\r\nSF=1\r\nIS=\r\nES=\r\nIF=\r\nEF=\r\nDF=\r\n"}},
        {"pairs in file order, renumbered; other sections are no pairs",
         "[General]\n[0]\n[3]\nS=/three\n[Notes]\nS=/ignored\n[1]\nS=/one\n[1.5]\nS=/half\n[inf]\nS=/no\n",
         {"[1]\r\nS=/three\r\n", "[2]\r\nS=/one\r\n", "[3]\r\nS=/half\r\n"}, {"[4]", "/ignored", "/no"}},
    };
    for (const auto& r : rows) {
        TempTree t;
        Profile p;
        ASSERT_TRUE(ReadProfileFile(t.File("p.tdp", r.file), defaults, p)) << r.what;
        ASSERT_TRUE(WriteProfileFile(t.Path("p.tdp"), p)) << r.what;
        const QByteArray saved = t.Read("p.tdp");
        for (const QByteArray& part : r.saved) EXPECT_TRUE(saved.contains(part)) << r.what << "\n" << saved.constData();
        for (const QByteArray& part : r.absent) EXPECT_FALSE(saved.contains(part)) << r.what << "\n" << saved.constData();
    }
}

// A file without sections is no profile and changes nothing; a save that cannot be written fails.
TEST(ProfileFile, NoProfileAndAFailedSave) {
    TempTree t;
    Profile p = SampleProfile();
    EXPECT_FALSE(ReadProfileFile(t.File("empty.tdp", ""), ProfileOptions{}, p));
    EXPECT_EQ(p.Pairs.size(), 2);
    EXPECT_FALSE(WriteProfileFile(t.Path("no/such/folder/p.tdp"), p));
}

}  // namespace
