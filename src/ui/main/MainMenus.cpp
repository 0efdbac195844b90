// The main window's menus: a pair's menu and the profile list's, the file list's row menu with
// the popup actions, and the options menu with the examples.
#include "ui/main/MainCommands.h"

#include "ui_frmMain.h"

#include "config/Profile.h"
#include "i18n/TextLookup.h"
#include "config/Placeholders.h"
#include "ui/dialogs/dlgMakeLink.h"
#include "ui/dialogs/dlgTaskScheduler.h"
#include "ui/main/MainMessages.h"
#include "ui/main/MainPairList.h"
#include "web/HelpPages.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {
QAction* AddItem(QMenu* menu, const char* name, int key, const QString& design) {
    QAction* action = menu->addAction(design);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("key", key);
    action->setProperty("designText", design);
    return action;
}

QMenu* NewMenu(QWidget* parent, const char* name) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

// The options menu's items that open a window of their own.
enum OptionsItemKey { ProfileSettingsKey = 602, MakeShortcutKey = 603, SchedulerKey = 604 };
}  // namespace

void MainCommands::BuildMenus() {
    mnuPop1_ = NewMenu(window_, "mnuPop1");
    connect(AddItem(mnuPop1_, "mnuPop1_Load", 401, tr("&Load profile")), &QAction::triggered, this, [this] { OpenProfile(); });
    connect(AddItem(mnuPop1_, "mnuPop1_Save", 402, tr("Save &profile")), &QAction::triggered, this, [this] { SaveProfileAs(); });
    mnuPop1_->addSeparator();
    connect(AddItem(mnuPop1_, "mnuPop1_Add", 403, tr("&Add folder")), &QAction::triggered, this, [this] { pairs_.AddPair(); });
    connect(AddItem(mnuPop1_, "mnuPop1_Edit", 404, tr("&Edit folder")), &QAction::triggered, this,
            [this] { pairs_.EditPair(pairs_.CurrentRow()); });
    connect(AddItem(mnuPop1_, "mnuPop1_Remove", 405, tr("&Remove folder")), &QAction::triggered, this,
            [this] { pairs_.RemovePair(pairs_.CurrentRow()); });
    mnuPop1_->addSeparator();
    mnuPop1_SubDirs_ = AddItem(mnuPop1_, "mnuPop1_SubDirs", 406, tr("&1  (Su)  Subfolders"));
    mnuPop1_SubDirs_->setCheckable(true);
    connect(mnuPop1_SubDirs_, &QAction::triggered, this, [this] { pairs_.ToggleSwitch(pairs_.CurrentRow(), 2); });
    const char* attrNames[4] = {"mnuPop1_Attr_0", "mnuPop1_Attr_1", "mnuPop1_Attr_2", "mnuPop1_Attr_3"};
    const int attrKeys[4] = {407, 408, 409, 411};
    const QString attrDesign[4] = {tr("&2  (SD)  System folders"), tr("&3  (HD)  Hidden folders"),
                                   tr("&4  (SF)  System files"), tr("&5  (HF)  Hidden files")};
    for (int i = 0; i < 4; ++i) {
        QAction* action = AddItem(mnuPop1_, attrNames[i], attrKeys[i], attrDesign[i]);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] { pairs_.ToggleSwitch(pairs_.CurrentRow(), i + 3); });
        mnuPop1_Attr_[static_cast<size_t>(i)] = action;
    }

    mnuPop2_ = NewMenu(window_, "mnuPop2");
    connect(AddItem(mnuPop2_, "mnuPop2_Load", 421, tr("&Load profile")), &QAction::triggered, this, [this] { OpenProfile(); });
    mnuPop2_Save_ = AddItem(mnuPop2_, "mnuPop2_Save", 422, tr("&Save Profile"));
    connect(mnuPop2_Save_, &QAction::triggered, this, [this] { SaveProfileAs(); });
    mnuPop2_->addSeparator();
    connect(AddItem(mnuPop2_, "mnuPop2_Add", 423, tr("&Add folder")), &QAction::triggered, this, [this] { pairs_.AddPair(); });

    mnuPop3_ = NewMenu(window_, "mnuPop3");
    const QString syncDesign = tr("&Synchronize folder(s) (with subfolders)");
    for (int i = 0; i < 2; ++i) {
        QAction* action = AddItem(mnuPop3_, i == 0 ? "mnuPop3_Sync_0" : "mnuPop3_Sync_1", 500 + 10 * i, syncDesign);
        connect(action, &QAction::triggered, this, [this, i] { PopupSync(i); });
        mnuPop3_Sync_[static_cast<size_t>(i)] = action;
    }
    // The second item belongs to folder rows only (ShowRowMenu shows it there, with its own text).
    mnuPop3_Sync_[1]->setVisible(false);
    mnuPop3_Sep0_ = mnuPop3_->addSeparator();
    const QString copyDesign[4] = {QStringLiteral("Left \u2013> right (with subfolders)"),
                                   QStringLiteral("Left <\u2013 right (with subfolders)"),
                                   QStringLiteral("Left \u2013> right (no subfolders)"),
                                   QStringLiteral("Left <\u2013 right (no subfolders)")};
    const char* copyNames[4] = {"mnuPop3_Copy_0", "mnuPop3_Copy_1", "mnuPop3_Copy_2", "mnuPop3_Copy_3"};
    for (int i = 0; i < 4; ++i) {
        QAction* action = AddItem(mnuPop3_, copyNames[i], 520 + 10 * i, copyDesign[i]);
        connect(action, &QAction::triggered, this, [this, i] { PopupCopy(i); });
        mnuPop3_Copy_[static_cast<size_t>(i)] = action;
    }
    mnuPop3_Sep1_ = mnuPop3_->addSeparator();
    const QString delDesign[4] = {tr("Delete left (in) folder 1 (with subfolders)"),
                                  tr("Delete right (in) folder 2 (with subfolders)"),
                                  tr("Delete left (in) folder 1 (no subfolders)"),
                                  tr("Delete right (in) folder 2 (no subfolders)")};
    const char* delNames[4] = {"mnuPop3_Del_0", "mnuPop3_Del_1", "mnuPop3_Del_2", "mnuPop3_Del_3"};
    for (int i = 0; i < 4; ++i) {
        QAction* action = AddItem(mnuPop3_, delNames[i], 560 + 10 * i, delDesign[i]);
        connect(action, &QAction::triggered, this, [this, i] { PopupDelete(i); });
        mnuPop3_Del_[static_cast<size_t>(i)] = action;
    }

    // The options menu.
    mnuPop4_ = NewMenu(window_, "mnuPop4");
    connect(AddItem(mnuPop4_, "mnuPop4_Options", 601, tr("&Default settings")), &QAction::triggered, this,
            [this] { ShowDefaultSettings(QString()); });
    const struct { const char* name; int key; const char* design; } windows[] = {
        {"mnuPop4_ProfileOptions", ProfileSettingsKey, "&Profile settings"},
        {"mnuPop4_MakeShortcut", MakeShortcutKey, "&Create shortcut"},
        {"mnuPop4_Scheduler", SchedulerKey, "&Scheduled task"}};
    for (const auto& entry : windows) {
        QAction* action = AddItem(mnuPop4_, entry.name, entry.key, tr(entry.design));
        if (entry.key == ProfileSettingsKey) {
            connect(action, &QAction::triggered, this, [this] { ShowProfileSettings(); });
        } else if (entry.key == MakeShortcutKey) {
            action->setEnabled(false);  // enabled while a profile is loaded
            mnuPop4_MakeShortcut_ = action;
            connect(action, &QAction::triggered, this, [this] { dlgMakeLink::ShowModal(window_); });
        } else if (entry.key == SchedulerKey) {
            connect(action, &QAction::triggered, this, [this] { dlgTaskScheduler::ShowWindow(window_); });
        }
    }
    connect(AddItem(mnuPop4_, "mnuPop4_Logfile", 605, tr("Display log&file")), &QAction::triggered, this,
            [this] { ShowDefaultSettings(QStringLiteral("TAB_LOGFILE")); });
    connect(AddItem(mnuPop4_, "mnuPop4_Language", 606, tr("Select &language")), &QAction::triggered, this,
            [this] { ChooseLanguage(); });
    mnuPop4_->addSeparator();
    mnuExamples_ = mnuPop4_->addMenu(tr("E&xamples"));
    mnuExamples_->setObjectName(QStringLiteral("mnuPop4_Examples"));
    mnuExamples_->menuAction()->setProperty("key", 611);
    mnuExamples_->menuAction()->setProperty("designText", tr("E&xamples"));
    connect(AddItem(mnuExamples_, "mnuPop4_Restore", 612, tr("&Restore example files")), &QAction::triggered, this,
            [this] { RestoreExampleFiles(); });
    connect(AddItem(mnuExamples_, "mnuPop4_Delete", 613, tr("&Delete example files")), &QAction::triggered, this,
            [this] { DeleteExampleFiles(); });
    mnuExamples_->addSeparator();
    mnuPop4_->addSeparator();
    connect(AddItem(mnuPop4_, "mnuPop4_Help_0", 607, tr("&Help")), &QAction::triggered, this,
            [] { SetUrl(QStringLiteral("index.htm"), false); });
    connect(AddItem(mnuPop4_, "mnuPop4_Help_1", 608, tr("&Assistant")), &QAction::triggered, this,
            [] { OpenAssistant(); });
    connect(AddItem(mnuPop4_, "mnuPop4_About", 609, tr("About &Tandor")), &QAction::triggered, this,
            [this] { ShowDefaultSettings(QStringLiteral("TAB_ABOUT")); });
}

void MainCommands::RebuildExampleList() {
    for (QAction* entry : exampleEntries_) entry->setVisible(false);
    constexpr int examples = 9;
    for (int i = 1; i <= examples; ++i) {
        const QString path = ExpandPathPlaceholders(FormatMsg(MainMsg::ExamplePath, {QString::number(i)}));
        if (path.isEmpty() || !QFileInfo(path).isFile()) continue;
        QAction* entry = nullptr;
        for (QAction* existing : exampleEntries_)
            if (existing->property("index").toInt() == i) entry = existing;
        if (!entry) {
            entry = mnuExamples_->addAction(QString());
            entry->setObjectName(QStringLiteral("mnuPop4_ExampleList_%1").arg(i));
            entry->setProperty("index", i);
            connect(entry, &QAction::triggered, this, [this, i] { OpenExampleProfile(i); });
            exampleEntries_ << entry;
        }
        entry->setText(FormatMsg(MainMsg::ExampleName, {QString::number(i)}));
        entry->setVisible(true);
    }
}

void MainCommands::ShowOptionsMenu(const QPoint& globalPos) {
    mnuPop4_MakeShortcut_->setEnabled(!CurrentProfile().ProfilePath.isEmpty());
    RebuildExampleList();
    // A screen reader announces the open menu by the name of the button that opened it.
    mnuPop4_->setAccessibleName(ui_.cmdExtras->text().remove(QLatin1Char('&')));
    mnuPop4_->popup(globalPos);
}

void MainCommands::ShowPairMenu(int row, const QPoint& globalPos) {
    if (row < 1) {
        mnuPop2_Save_->setEnabled(!CurrentProfile().profile.Pairs.isEmpty());
        mnuPop2_->popup(globalPos);
        return;
    }
    const FolderPair& pair = CurrentProfile().profile.Pairs[row - 1];
    mnuPop1_SubDirs_->setEnabled(true);
    mnuPop1_SubDirs_->setChecked(pair.SubDirs);
    const bool attrs[4] = {pair.System[0], pair.Hidden[0], pair.System[1], pair.Hidden[1]};
    for (size_t i = 0; i < 4; ++i) mnuPop1_Attr_[i]->setChecked(attrs[i]);
    mnuPop1_->popup(globalPos);
}

void MainCommands::ShowRowMenu(const FilesMenuPlan& plan, const QPoint& globalPos) {
    auto caption = [&plan](QAction* action, int offset) {
        const int key = action->property("key").toInt() + offset;
        const QString text = FormatMsg(key, plan.captionArgs);
        if (!text.isEmpty()) action->setText(text);
        else action->setText(action->property("designText").toString());
    };
    for (size_t i = 0; i < 2; ++i) {
        mnuPop3_Sync_[i]->setVisible(plan.syncVisible[i]);
        caption(mnuPop3_Sync_[i], plan.syncOffset[i]);
    }
    for (size_t i = 0; i < 4; ++i) {
        mnuPop3_Copy_[i]->setVisible(plan.copyVisible[i]);
        mnuPop3_Del_[i]->setVisible(plan.deleteVisible[i]);
        caption(mnuPop3_Copy_[i], plan.copyOffset[i]);
        caption(mnuPop3_Del_[i], plan.deleteOffset[i]);
    }
    mnuPop3_Sep0_->setVisible(plan.separator0);
    mnuPop3_Sep1_->setVisible(plan.separator1);
    if (!globalPos.isNull()) mnuPop3_->popup(globalPos);
}
