// Localising small windows built in code: what a language file that lacks a text or a tooltip
// leaves on a control, key 0, and the accessible names localisation gives. Every real window's
// captions, menus and tabs against the shipped files are checked in FormNamesTest.

#include "i18n/forms/LocalizeControls.h"

#include "i18n/TextLookup.h"
#include "platform/SystemInfo.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

class LocalizeControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedProgramFolder_ = ProgramFolder();
        SetProgramFolderForTests(tree_.Path());
        tree_.File(QStringLiteral("Test.lang"),
                   "1000=Dialog title\n"
                   "1001=&Start|Starts the run\n"
                   "1002=Caption only\n"
                   "1003=|Tip only\n"
                   "1004=Typed contents|Name box tip\n"
                   "1005=Group title\n"
                   "1006=Label text\n");
        texts_ = std::make_unique<clsLocalizeControls>(QStringLiteral("Test"));
    }
    void TearDown() override { SetProgramFolderForTests(savedProgramFolder_); }

    template <typename W>
    W* Add(const char* name, int key)
    {
        auto* w = new W(&window_);
        w->setObjectName(QLatin1String(name));
        w->setProperty("key", key);
        return w;
    }

    IsolatedEnvironment env_;
    TempTree tree_;
    QString savedProgramFolder_;
    std::unique_ptr<clsLocalizeControls> texts_;
    QDialog window_;
};

// Captions and tooltips of controls: the file's text and tooltip where it has them; no text
// keeps the design caption, no tooltip clears the design tooltip; key 0, no key and a language
// that is none change nothing.
TEST_F(LocalizeControlsTest, CaptionsAndTooltipsFollowTheFile)
{
    const struct {
        const char* name;
        int key;
        const char* text;
        const char* tip;
        const char* expectedText;
        const char* expectedTip;
    } cases[] = {
        {"cmdStart", 1001, "Design", "", "&Start", "Starts the run"},
        {"chkOption", 1002, "", "Design tip", "Caption only", ""},
        {"cmdGetDir", 1003, "...", "", "...", "Tip only"},
        {"cmdZero", 0, "Design zero", "Design zero tip", "Design zero", "Design zero tip"},
        {"cmdMissing", 4711, "Design", "Design tip", "Design", ""},
    };
    std::vector<QAbstractButton*> buttons;
    for (const auto& c : cases) {
        QAbstractButton* b = c.key == 1002 ? static_cast<QAbstractButton*>(Add<QCheckBox>(c.name, c.key))
                                           : Add<QPushButton>(c.name, c.key);
        b->setText(QLatin1String(c.text));
        b->setToolTip(QLatin1String(c.tip));
        buttons.push_back(b);
    }
    auto* none = new QPushButton(QStringLiteral("No key"), &window_);
    none->setToolTip(QStringLiteral("No key tip"));
    window_.setProperty("key", 1000);
    window_.setWindowTitle(QStringLiteral("Design title"));
    auto* name = Add<QLineEdit>("txtName", 1004);
    auto* group = Add<QGroupBox>("fraOptions", 1005);
    auto* label = Add<QLabel>("lblInfo", 1006);

    LocalizeControls(&window_, clsLocalizeControls(QString()));
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Design title"));
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("Design"));
    EXPECT_EQ(buttons[1]->toolTip(), QStringLiteral("Design tip"));

    LocalizeControls(&window_, *texts_);
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i]->text(), QLatin1String(cases[i].expectedText)) << cases[i].name;
        EXPECT_EQ(buttons[i]->toolTip(), QLatin1String(cases[i].expectedTip)) << cases[i].name;
    }
    EXPECT_EQ(none->text(), QStringLiteral("No key"));
    EXPECT_EQ(none->toolTip(), QStringLiteral("No key tip"));
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Dialog title"));
    EXPECT_EQ(name->text(), QStringLiteral("Typed contents"));
    EXPECT_EQ(group->title(), QStringLiteral("Group title"));
    EXPECT_EQ(label->text(), QStringLiteral("Label text"));
    EXPECT_FALSE(LocalizeControl(buttons[3], *texts_));
}

TEST_F(LocalizeControlsTest, GivesControlsAnAccessibleNameFromTheirCaption)
{
    auto* start = Add<QPushButton>("cmdStart", 1001);
    auto* browse = Add<QToolButton>("cmdGetDir", 1003);
    browse->setText(QStringLiteral("..."));
    auto* named = Add<QCheckBox>("chkNamed", 1002);
    named->setAccessibleName(QStringLiteral("Set by the window"));
    auto* lonely = Add<QLineEdit>("txtName", 1004);
    auto* withBuddy = Add<QLineEdit>("txtOther", 1004);
    auto* buddy = new QLabel(QStringLiteral("&Other:"), &window_);
    buddy->setBuddy(withBuddy);

    LocalizeControls(&window_, *texts_);

    EXPECT_EQ(start->accessibleName(), QStringLiteral("Start"));
    EXPECT_EQ(browse->accessibleName(), QStringLiteral("Tip only"));
    EXPECT_EQ(named->accessibleName(), QStringLiteral("Set by the window"));
    EXPECT_EQ(lonely->accessibleName(), QStringLiteral("Name box tip"));
    EXPECT_EQ(withBuddy->accessibleName(), QString());

    // A second language replaces the names localisation gave, not the window's own.
    tree_.File(QStringLiteral("Other.lang"), "1001=&Begin\n1002=Other caption\n");
    const clsLocalizeControls other(QStringLiteral("Other"));
    LocalizeControls(&window_, other);
    EXPECT_EQ(start->accessibleName(), QStringLiteral("Begin"));
    EXPECT_EQ(named->accessibleName(), QStringLiteral("Set by the window"));
}

}  // namespace
