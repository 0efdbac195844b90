// The menus of the main window and the profile commands behind them: open, save, the example
// profiles and the example files.
#include "ui/main/frmMain.h"
#include "web/HelpPages.h"

#include "ui_frmMain.h"

#include "config/Placeholders.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/ProfileLoading.h"
#include "engine/RunHost.h"
#include "i18n/DefaultListNames.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/ScaleForm.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "ui/dialogs/dlgMakeLink.h"
#include "ui/dialogs/dlgTaskScheduler.h"
#include "ui/dialogs/dlgLanguage.h"
#include "ui/dialogs/dlgSettings.h"
#include "ui/dialogs/dlgProfile.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>

#include <cerrno>

namespace {
QAction* AddItem(QMenu* menu, const char* name, int key, const QString& design) {
    QAction* action = menu->addAction(design);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("key", key);
    action->setProperty("designText", design);
    return action;
}
}  // namespace

void frmMain::BuildMenus() {
    mnuPop1_ = new QMenu(this);
    mnuPop1_->setObjectName(QStringLiteral("mnuPop1"));
    connect(AddItem(mnuPop1_, "mnuPop1_Load", 401, tr("&Load profile")), &QAction::triggered, this, [this] { OpenProfile(); });
    connect(AddItem(mnuPop1_, "mnuPop1_Save", 402, tr("Save &profile")), &QAction::triggered, this, [this] { SaveProfileAs(); });
    mnuPop1_->addSeparator();
    connect(AddItem(mnuPop1_, "mnuPop1_Add", 403, tr("&Add folder")), &QAction::triggered, this, [this] { AddPair(); });
    connect(AddItem(mnuPop1_, "mnuPop1_Edit", 404, tr("&Edit folder")), &QAction::triggered, this,
            [this] { EditPair(currentDirsRow_); });
    connect(AddItem(mnuPop1_, "mnuPop1_Remove", 405, tr("&Remove folder")), &QAction::triggered, this,
            [this] { RemovePair(currentDirsRow_); });
    mnuPop1_->addSeparator();
    mnuPop1_SubDirs_ = AddItem(mnuPop1_, "mnuPop1_SubDirs", 406, tr("&1  (Su)  Subfolders"));
    mnuPop1_SubDirs_->setCheckable(true);
    connect(mnuPop1_SubDirs_, &QAction::triggered, this, [this] { ToggleDirsSwitch(currentDirsRow_, 2); });
    const char* attrNames[4] = {"mnuPop1_Attr_0", "mnuPop1_Attr_1", "mnuPop1_Attr_2", "mnuPop1_Attr_3"};
    const int attrKeys[4] = {407, 408, 409, 411};
    const QString attrDesign[4] = {tr("&2  (SD)  System folders"), tr("&3  (HD)  Hidden folders"),
                                   tr("&4  (SF)  System files"), tr("&5  (HF)  Hidden files")};
    for (int i = 0; i < 4; ++i) {
        QAction* action = AddItem(mnuPop1_, attrNames[i], attrKeys[i], attrDesign[i]);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] { ToggleDirsSwitch(currentDirsRow_, i + 3); });
        mnuPop1_Attr_[static_cast<size_t>(i)] = action;
    }

    mnuPop2_ = new QMenu(this);
    mnuPop2_->setObjectName(QStringLiteral("mnuPop2"));
    connect(AddItem(mnuPop2_, "mnuPop2_Load", 421, tr("&Load profile")), &QAction::triggered, this, [this] { OpenProfile(); });
    mnuPop2_Save_ = AddItem(mnuPop2_, "mnuPop2_Save", 422, tr("&Save Profile"));
    connect(mnuPop2_Save_, &QAction::triggered, this, [this] { SaveProfileAs(); });
    mnuPop2_->addSeparator();
    connect(AddItem(mnuPop2_, "mnuPop2_Add", 423, tr("&Add folder")), &QAction::triggered, this, [this] { AddPair(); });

    mnuPop3_ = new QMenu(this);
    mnuPop3_->setObjectName(QStringLiteral("mnuPop3"));
    const QString syncDesign = tr("&Synchronize folder(s) (with subfolders)");
    for (int i = 0; i < 2; ++i) {
        QAction* action = AddItem(mnuPop3_, i == 0 ? "mnuPop3_Sync_0" : "mnuPop3_Sync_1", 500 + 10 * i, syncDesign);
        connect(action, &QAction::triggered, this, [this, i] { PopupSync(i); });
        mnuPop3_Sync_[static_cast<size_t>(i)] = action;
    }
    // The second item belongs to folder rows only (ShowFilesMenu shows it there, with its own text).
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
    mnuPop4_ = new QMenu(this);
    mnuPop4_->setObjectName(QStringLiteral("mnuPop4"));
    connect(AddItem(mnuPop4_, "mnuPop4_Options", 601, tr("&Default settings")), &QAction::triggered, this,
            [this] { ShowDefaultSettings(QString()); });
    const struct { const char* name; int key; const char* design; } windows[] = {
        {"mnuPop4_ProfileOptions", 602, "&Profile settings"}, {"mnuPop4_MakeShortcut", 603, "&Create shortcut"},
        {"mnuPop4_Scheduler", 604, "&Scheduled task"}};
    for (const auto& entry : windows) {
        QAction* action = AddItem(mnuPop4_, entry.name, entry.key, tr(entry.design));
        if (entry.key == 602) {
            connect(action, &QAction::triggered, this, [this] { ShowProfileSettings(); });
        } else if (entry.key == 603) {
            action->setEnabled(false);  // enabled while a profile is loaded
            mnuPop4_MakeShortcut_ = action;
            connect(action, &QAction::triggered, this, [this] { dlgMakeLink::ShowModal(this); });
        } else if (entry.key == 604) {
            connect(action, &QAction::triggered, this, [this] { dlgTaskScheduler::ShowWindow(this); });
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

void frmMain::ShowDefaultSettings(const QString& tabKey) {
    dlgSettings::ShowModal(this, tabKey, [this](bool compareOptionsChanged, bool zoomChanged) {
        DefaultSettingsApplied(compareOptionsChanged, zoomChanged);
    });
}

void frmMain::DefaultSettingsApplied(bool compareOptionsChanged, bool zoomChanged) {
    if (compareOptionsChanged) MarkStale();
    if (zoomChanged) RescaleOpenWindows();  // this window and every open dialog
    LocaliseComputedTexts();  // the toolbar captions follow "Display text on button bars"
    ui->flexDirs->viewport()->update();
}

bool frmMain::ChooseLanguage() {
    return dlgLanguage::ShowModal(this, [this] { LanguageChanged(); });
}

void frmMain::LanguageChanged() {
    RelocaliseDefaultListNames(Settings().DefaultProfileOptions, CurrentProfile().profile.Options);
    ScaleAndLocalise();
    SetProfileTitle(ProfileNameOf(CurrentProfile().ProfilePath));
    // The titles of both lists name the sides in the new language; the pairs and the selection
    // stay, and so does the file list's page.
    const int selected = dirsRowSelected_ ? currentDirsRow_ : 0;
    PrepareDirsTitle();
    const int pairs = static_cast<int>(CurrentProfile().profile.Pairs.size());
    ui->flexDirs->SetRows(pairs + 1);
    PrepareDirsWidth();
    for (int r = 1; r <= pairs; ++r) FormatDirsRow(r);
    if (selected >= 1 && selected <= pairs) SelectDirsRow(selected, -1);
    DisplayFiles();
}

void frmMain::ShowProfileSettings() {
    if (RefusedWhileRunning()) return;
    dlgProfile::ShowModal(this, CurrentProfile(), [this] { MarkStale(); }, [this] { DisplayFiles(); });
}

void frmMain::RebuildExampleList() {
    for (QAction* entry : exampleEntries_) entry->setVisible(false);
    for (int i = 1; i <= 9; ++i) {
        const QString path = ExpandPathPlaceholders(FormatMsg(4230, {QString::number(i)}));
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
        entry->setText(FormatMsg(4220, {QString::number(i)}));
        entry->setVisible(true);
    }
}

void frmMain::ShowOptionsMenu(const QPoint& globalPos) {
    mnuPop4_MakeShortcut_->setEnabled(!CurrentProfile().ProfilePath.isEmpty());
    RebuildExampleList();
    // A screen reader announces the open menu by the name of the button that opened it.
    mnuPop4_->setAccessibleName(ui->cmdExtras->text().remove(QLatin1Char('&')));
    mnuPop4_->popup(globalPos);
}

QString frmMain::ProfileFilter() {
    // The language's filter holds name and pattern pairs separated by %1 (a NUL character in
    // the original form); Qt wants "Name (pattern);;Name (pattern)".
    const QString raw = FormatMsg(720, {QString(QChar(0))});
    const QStringList parts = raw.split(QChar(0), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (name.contains(QLatin1Char('(')) ? name : name + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    if (filters.isEmpty()) filters << QStringLiteral("Profiles (*.tdp)");
    return filters.join(QStringLiteral(";;"));
}

void frmMain::OpenProfile() {
    if (RefusedWhileRunning()) return;
    if (!AskSaveChanges(false, nullptr)) return;
    const QString start = ExpandPathPlaceholders(Settings().ProfilesFolder);
    const QString title = FormatMsg(730);
    const QString chosen = openDialog ? openDialog(title, ProfileFilter(), start)
                                      : QFileDialog::getOpenFileName(this, title, start, ProfileFilter());
    if (chosen.isEmpty()) return;
    CurrentProfile().ProfilePath = chosen;
    CurrentFileView().SelectAll = true;
    LoadProfile(*this);
}

bool frmMain::SaveProfileAs() {
    CurrentProfileState& current = CurrentProfile();
    const QString start = current.ProfilePath.isEmpty() ? ExpandPathPlaceholders(Settings().ProfilesFolder)
                                                        : current.ProfilePath;
    const QString title = FormatMsg(740);
    QString chosen;
    if (saveDialog) {
        chosen = saveDialog(title, ProfileFilter(), start);
    } else {
        QFileDialog dialog(this, title, start, ProfileFilter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("tdp"));
        // The dialog asks before it overwrites an existing file.
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
    }
    if (chosen.isEmpty()) return false;
    if (!WriteProfileFile(chosen, current.profile)) {
        // Nothing was saved: the profile stays changed under its old name and path, so that
        // closing still asks and the edits are not lost.
        const int why = errno;
        Host().ShowMsg(FormatMsg(890, {chosen, FileSystem::ErrorText(why)}), MsgBox::Critical);
        return false;
    }
    current.ProfilePath = chosen;
    current.ProfileChanged = false;
    SetProfileTitle(ProfileNameOf(chosen));
    return true;
}

void frmMain::OpenExampleProfile(int index) {
    const QString path = ExpandPathPlaceholders(FormatMsg(4230, {QString::number(index)}));
    if (!QFileInfo(path).isFile()) {
        Host().Beep();
        return;
    }
    if (RefusedWhileRunning()) return;
    if (!AskSaveChanges(false, nullptr)) return;
    CurrentProfile().ProfilePath = path;
    CurrentFileView().SelectAll = true;
    LoadProfile(*this);
}

void frmMain::RestoreExampleFiles() {
    if (RefusedWhileRunning()) return;  // it rewrites folders a run may be working in
    const QString folder = ProgramFolder();
    const QString script = folder + QStringLiteral("/Restore") + Settings().LanguageName.left(2) + QStringLiteral(".sh");
    if (!QFileInfo(script).isFile()) return;
    if (!QProcess::startDetached(QStringLiteral("sh"), {script, folder + QLatin1Char('/')}, folder)) return;
    MarkStale();
    ui->cmdCompare->setFocus();
}

void frmMain::DeleteExampleFiles() {
    if (RefusedWhileRunning()) return;  // it deletes folders a run may be working in
    const QString target = QDir::cleanPath(ExpandPathPlaceholders(QStringLiteral("%Temp%/Tandor")));
    // Only the example folder itself, never a path that expanded to something else.
    if (!target.endsWith(QStringLiteral("/Tandor")) || target == QStringLiteral("/Tandor")) return;
    if (!QProcess::startDetached(QStringLiteral("rm"), {QStringLiteral("-rf"), QStringLiteral("--"), target})) return;
    MarkStale();
}
