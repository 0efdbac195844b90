// Every dialog in both languages: each control a user reaches with Tab is read out under a name,
// and each caption that carries a text key shows the language file's text.
#include "DialogTesting.h"

#include "engine/FileView.h"
#include "launch/TaskScheduler.h"
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

TEST_F(DialogFixture, EveryDialogNamesItsControlsFromTheLanguageFile) {
    LoadProgramSettings();
    CrontabStandIn crontab;
    CurrentProfileState state;
    FolderPair pair;
    pair.Dir = {tree.Path(QStringLiteral("a")), tree.Path(QStringLiteral("b"))};
    QList<FolderPair> pairs{pair};
    ResetFileView();
    for (const QString& language : {QStringLiteral("English"), QStringLiteral("Deutsch")}) {
        UseLanguage(language);
        std::vector<std::unique_ptr<QWidget>> forms;
        auto dirs = std::make_unique<dlgDirs>();
        dirs->Init(pairs, 0);
        forms.push_back(std::move(dirs));
        forms.push_back(std::make_unique<dlgProfile>(state));
        forms.push_back(std::make_unique<dlgSettings>());
        forms.push_back(std::make_unique<dlgLanguage>());
        forms.push_back(std::make_unique<dlgTaskScheduler>());
        forms.push_back(std::make_unique<dlgTaskProperties>(ScheduledTask{}));
        forms.push_back(std::make_unique<dlgMakeLink>());
        forms.push_back(std::make_unique<dlgHint>());
        auto box = std::make_unique<dlgMsgBox>();
        box->Prepare(QStringLiteral("Prompt"), MsgBox::YesNoCancel | MsgBox::CheckBoxFlag);
        forms.push_back(std::move(box));
        forms.push_back(std::make_unique<dlgSearchFile>(CurrentFileView().TreeRows(),
                                                        std::array<QString, 2>{QStringLiteral("L"), QStringLiteral("R")}, nullptr));
        std::vector<QWidget*> shown{dlgProgress::Instance()};
        for (const auto& form : forms) shown.push_back(form.get());
        for (QWidget* form : shown) {
            form->show();
            const std::string where = language.toStdString() + " " + form->metaObject()->className() + " ";
            for (QWidget* w : form->findChildren<QWidget*>()) {
                if (!Reachable(w, form) || w->objectName().startsWith(QLatin1String("qt_"))) continue;
                // A page strip is read out by its tabs.
                if ((w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QTabWidget*>(w)) {
                    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
                    ASSERT_TRUE(face);
                    EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty()) << where << w->objectName().toStdString();
                }
                const QString key = w->property("key").toString();
                // Captions with a placeholder are filled in by the dialog itself.
                if (!Caption(w).isEmpty() && Localizer().HasText(key) && !Localizer().ControlText(key).contains(QLatin1Char('%'))) {
                    EXPECT_EQ(Caption(w), Localizer().ControlText(key)) << where << w->objectName().toStdString();
                }
            }
        }
        dlgProgress::Unload();
    }
}

}  // namespace
