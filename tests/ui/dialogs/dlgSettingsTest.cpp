// The default settings: Apply writes exactly what changed, or says why it cannot.
#include "DialogTesting.h"

#include "ui/dialogs/dlgSettings.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Settings from the template beside the program.
struct SettingsDialogTest : DialogFixture {
    QByteArray original;
    void SetUp() override {
        LoadProgramSettings();
        DialogFixture::SetUp();
        original = ReadAll(Settings().SettingsFilePath);
        ASSERT_FALSE(original.isEmpty());
    }
    template <class T> T* Find(dlgSettings& d, const char* name) {
        T* w = d.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

TEST_F(SettingsDialogTest, ApplyWritesExactlyTheChangedKeysOrSaysWhyItCannot) {
    dlgSettings dialog;
    auto* apply = Find<QPushButton>(dialog, "cmdApply");
    EXPECT_FALSE(apply->isEnabled());
    bool compareChanged = true, zoomChanged = false;
    dialog.applied = [&](bool c, bool z) { compareChanged = c; zoomChanged = z; };

    Find<QCheckBox>(dialog, "chkAllowUndo")->click();
    Find<QCheckBox>(dialog, "chkLogChanges")->click();
    Find<QSpinBox>(dialog, "spnMaxDeletePercent")->setValue(30);
    Find<QListWidget>(dialog, "lstZoom")->setCurrentRow(8);  // 120 %
    Find<QLineEdit>(dialog, "txtSearch_1")->setText(QStringLiteral("*.tmp;*.bak"));
    ASSERT_TRUE(apply->isEnabled());
    apply->click();

    QByteArray expected = original;
    expected.replace("AllowUndo=0", "AllowUndo=1").replace("LogChanges=0", "LogChanges=1");
    expected.replace("MaxDeletePercent=50", "MaxDeletePercent=30").replace("Zoom=100", "Zoom=120");
    expected.replace("[Exclude]\nDirs=\nFiles=\n", "[Exclude]\nDirs=\nFiles=*.tmp;*.bak\n");
    expected.replace("[Exclude]\r\nDirs=\r\nFiles=\r\n", "[Exclude]\r\nDirs=\r\nFiles=*.tmp;*.bak\r\n");
    EXPECT_EQ(ReadAll(Settings().SettingsFilePath), expected);
    EXPECT_TRUE(Settings().AllowUndo);
    EXPECT_EQ(Settings().Zoom, 120);
    EXPECT_EQ(Settings().MaxDeletePercent, 30);
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_FALSE(compareChanged);
    EXPECT_TRUE(zoomChanged);

    // A settings folder that cannot be written is said, and nothing changes.
    tree.File("blocked", "not a folder");
    Settings().SettingsFilePath = tree.Path("blocked/Tandor.ini");
    Find<QCheckBox>(dialog, "chkIgnoreLockedFiles")->click();
    apply->click();
    ASSERT_EQ(host.messagesShown.size(), 1);
    EXPECT_TRUE(host.messagesShown[0].startsWith(FormatMsg(1133, {Settings().SettingsFilePath, QStringLiteral("@")}).section('@', 0, 0)));
    EXPECT_FALSE(Settings().IgnoreLockedFiles);
    EXPECT_TRUE(apply->isEnabled());
}

}  // namespace
