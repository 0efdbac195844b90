// Every window in both languages: each control a user reaches with Tab is read out under a name,
// and each caption that carries a text key shows the language file's text.
#include "DialogTesting.h"

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
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>

#include <functional>

namespace {

// Shown with its form, or on a page of the form that the user can turn to.
bool Reachable(const QWidget* w, const QWidget* form) {
    for (; w && w != form; w = w->parentWidget()) {
        const bool hidden = w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->testAttribute(Qt::WA_WState_Hidden);
        if (hidden && !qobject_cast<const QStackedWidget*>(w->parentWidget())) return false;
    }
    return true;
}

QString Caption(const QWidget* w) {
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    return QString();
}

// The language file's text for a key, unless the window fills in a placeholder of it.
QString FileText(const QVariant& key) {
    const QString text = Localizer().ControlText(key.toString());
    return key.isValid() && !text.contains(QLatin1Char('%')) ? text : QString();
}

void ExpectNamedAndLocalised(QWidget* form, const std::string& where) {
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!Reachable(w, form) || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        // A page strip is read out by its tabs.
        if ((w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QTabWidget*>(w)) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
            ASSERT_TRUE(face);
            EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty()) << where << w->objectName().toStdString();
        }
        if (const QString text = FileText(w->property("key")); !text.isEmpty() && !Caption(w).isEmpty()) {
            EXPECT_EQ(Caption(w), text) << where << w->objectName().toStdString();
        }
    }
}

TEST_F(DialogFixture, EveryWindowNamesItsControlsFromTheLanguageFile) {
    LoadProgramSettings();
    CrontabStandIn crontab;  // the task scheduler reads the user's table
    CurrentProfileState state;
    FolderPair pair;
    pair.Dir = {tree.Path(QStringLiteral("a")), tree.Path(QStringLiteral("b"))};
    QList<FolderPair> pairs{pair};
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> windows = {
        {"frmMain", [] {
             ResetFileView();
             auto window = std::make_unique<frmMain>();
             window->ScaleAndLocalise();  // in the language chosen, as the start-up does
             window->Prepare();
             return window;
         }},
        {"dlgDirs", [&] { auto dirs = std::make_unique<dlgDirs>(); dirs->Init(pairs, 0); return dirs; }},
        {"dlgProfile", [&] { return std::make_unique<dlgProfile>(state); }},
        {"dlgSettings", [] { return std::make_unique<dlgSettings>(); }},
        {"dlgLanguage", [] { return std::make_unique<dlgLanguage>(); }},
        {"dlgTaskScheduler", [] { return std::make_unique<dlgTaskScheduler>(); }},
        {"dlgTaskProperties", [] { return std::make_unique<dlgTaskProperties>(ScheduledTask{}); }},
        {"dlgMakeLink", [] { return std::make_unique<dlgMakeLink>(); }},
        {"dlgHint", [] { return std::make_unique<dlgHint>(); }},
        {"dlgMsgBox", [] {
             auto box = std::make_unique<dlgMsgBox>();
             box->Prepare(QStringLiteral("Prompt"), MsgBox::YesNoCancel | MsgBox::CheckBoxFlag);
             return box;
         }},
        {"dlgSearchFile", [] {
             return std::make_unique<dlgSearchFile>(CurrentFileView().TreeRows(),
                                                    std::array<QString, 2>{QStringLiteral("L"), QStringLiteral("R")}, nullptr);
         }},
    };
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        UseLanguage(language);
        for (const auto& [name, make] : windows) {
            const std::unique_ptr<QWidget> window = make();
            window->show();
            const QString where = QStringLiteral("%1 (%2)").arg(QLatin1String(name), language);
            ExpectNamedAndLocalised(window.get(), where.toStdString() + ' ');
        }
        dlgProgress::Instance()->show();
        ExpectNamedAndLocalised(dlgProgress::Instance(), language.toStdString() + " dlgProgress ");
        dlgProgress::Unload();
    }
}

}  // namespace
