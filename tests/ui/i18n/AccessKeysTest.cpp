// Every access key (the underlined letter that Alt reaches) is unique among the controls a window
// shows at one time and among the items of each menu, in every language the program ships.

#include "../dialogs/DialogTesting.h"
#include "../main/MainWindowTesting.h"
#include "launch/ScheduledTask.h"
#include "support/CrontabStandIn.h"
#include "ui/dialogs/dlgDirs.h"
#include "ui/dialogs/dlgLanguage.h"
#include "ui/dialogs/dlgMakeLink.h"
#include "ui/dialogs/dlgProfile.h"
#include "ui/dialogs/dlgSettings.h"
#include "ui/dialogs/dlgTaskProperties.h"
#include "ui/dialogs/dlgTaskScheduler.h"
#include "ui/main/dlgHint.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/dlgProgress.h"
#include "ui/main/dlgSearchFile.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

#include <functional>
#include <memory>

namespace {

// The key that Alt plus the text's underlined letter reaches; empty for a text without one.
QKeySequence AccessKey(const QString& text) { return QKeySequence::mnemonic(text); }

// Reports every access key that more than one of the texts carries.
void ExpectUnique(const QStringList& texts, const QString& where) {
    QMap<QString, QStringList> byKey;
    for (const QString& text : texts)
        if (const QKeySequence key = AccessKey(text); !key.isEmpty()) byKey[key.toString()] << text;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it->size() > 1)
            ADD_FAILURE() << qPrintable(where) << ": " << qPrintable(it.key()) << " is the access key of \""
                          << qPrintable(it->join(QStringLiteral("\", \""))) << '"';
}

// The captions a window shows now that can carry an access key: buttons and boxes, labels,
// group titles and the tabs of its tab strips.
QStringList ShownCaptions(QWidget* window) {
    QStringList texts;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window)) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
        else if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
        else if (auto* tabs = qobject_cast<QTabBar*>(widget))
            for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    }
    return texts;
}

// The window with each page of each of its tab widgets in front in turn, then every menu it owns.
void ExpectUniqueAccessKeys(QWidget* window, const QString& where) {
    ExpectUnique(ShownCaptions(window), where);
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            ExpectUnique(ShownCaptions(window), QStringLiteral("%1, page %2").arg(where, tabs->tabText(page)));
        }
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        QStringList items;
        for (QAction* action : menu->actions())
            if (action->isVisible() && !action->isSeparator()) items << action->text();
        ExpectUnique(items, QStringLiteral("%1, menu %2").arg(where, menu->objectName()));
    }
}

using WindowMaker = std::function<std::unique_ptr<QWidget>()>;

struct AccessKeysTest : DialogFixture {
    CrontabStandIn crontab;  // the task scheduler reads the user's table
    CurrentProfileState profile;
    std::vector<TreeRow> noRows;
};

TEST_F(AccessKeysTest, EveryWindowAndMenuHasUniqueAccessKeysInEveryLanguage) {
    const std::vector<std::pair<QString, WindowMaker>> windows = {
        {QStringLiteral("frmMain"), [] {
             ResetFileView();
             auto window = std::make_unique<frmMain>();
             window->ScaleAndLocalise();  // in the language chosen, as the start-up does
             window->Prepare();
             return window;
         }},
        {QStringLiteral("dlgDirs"), [] { return std::make_unique<dlgDirs>(); }},
        {QStringLiteral("dlgLanguage"), [] { return std::make_unique<dlgLanguage>(); }},
        {QStringLiteral("dlgMakeLink"), [] { return std::make_unique<dlgMakeLink>(); }},
        {QStringLiteral("dlgProfile"), [this] { return std::make_unique<dlgProfile>(profile); }},
        {QStringLiteral("dlgSettings"), [] { return std::make_unique<dlgSettings>(); }},
        {QStringLiteral("dlgTaskProperties"), [] { return std::make_unique<dlgTaskProperties>(ScheduledTask{}); }},
        {QStringLiteral("dlgTaskScheduler"), [] { return std::make_unique<dlgTaskScheduler>(); }},
        {QStringLiteral("dlgHint"), [] { return std::make_unique<dlgHint>(); }},
        {QStringLiteral("dlgMsgBox"), [] { return std::make_unique<dlgMsgBox>(); }},
        {QStringLiteral("dlgProgress"), [] { return std::make_unique<dlgProgress>(); }},
        {QStringLiteral("dlgSearchFile"), [this] {
             return std::make_unique<dlgSearchFile>(noRows, std::array<QString, 2>{QStringLiteral("L"), QStringLiteral("R")});
         }},
    };
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        for (const auto& [name, make] : windows) {
            UseLanguage(language);
            const std::unique_ptr<QWidget> window = make();
            ExpectUniqueAccessKeys(window.get(), QStringLiteral("%1 (%2)").arg(name, language));
        }
    }
}

}  // namespace
