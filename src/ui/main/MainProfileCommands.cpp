// The profile commands of the main window: open, save, a dropped profile, the example profiles
// and files, and the settings dialogs.
#include "ui/main/MainCommands.h"

#include "ui_frmMain.h"

#include "config/Placeholders.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/ProfileLoading.h"
#include "i18n/TextLookup.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "ui/dialogs/dlgLanguage.h"
#include "ui/dialogs/dlgProfile.h"
#include "ui/dialogs/dlgSettings.h"
#include "ui/main/MainFileList.h"
#include "ui/main/MainMessages.h"
#include "ui/main/MainPairList.h"
#include "ui/main/RunLock.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>

QString MainCommands::ProfileFilter() {
    // The language's filter holds name and pattern pairs separated by %1 (a NUL character in
    // the original form); Qt wants "Name (pattern);;Name (pattern)".
    const QString raw = FormatMsg(MainMsg::ProfileFilter, {QString(QChar(0))});
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

bool MainCommands::AskSaveChanges(bool withCancel) {
    if (!CurrentProfile().ProfileChanged) return true;
    const int answer = Host().AppMessageBox(FormatMsg(MainMsg::SaveChanges),
                                            (withCancel ? MsgBox::YesNoCancel : MsgBox::YesNo) | MsgBox::Question);
    if (answer == MsgBox::Cancel) return false;
    if (answer == MsgBox::Yes) {
        SaveProfileAs();
        return !CurrentProfile().ProfileChanged;
    }
    return true;
}

void MainCommands::OpenProfile() {
    if (lock_.Refused()) return;
    if (!AskSaveChanges(false)) return;
    const QString start = ExpandPathPlaceholders(Settings().ProfilesFolder);
    const QString title = FormatMsg(MainMsg::OpenProfileTitle);
    const QString chosen = openDialog ? openDialog(title, ProfileFilter(), start)
                                      : QFileDialog::getOpenFileName(window_, title, start, ProfileFilter());
    if (chosen.isEmpty()) return;
    CurrentProfile().ProfilePath = chosen;
    CurrentFileView().SelectAll = true;
    LoadProfile(display_);
}

bool MainCommands::SaveProfileAs() {
    CurrentProfileState& current = CurrentProfile();
    const QString start = current.ProfilePath.isEmpty() ? ExpandPathPlaceholders(Settings().ProfilesFolder)
                                                        : current.ProfilePath;
    const QString title = FormatMsg(MainMsg::SaveProfileTitle);
    QString chosen;
    if (saveDialog) {
        chosen = saveDialog(title, ProfileFilter(), start);
    } else {
        QFileDialog dialog(window_, title, start, ProfileFilter());
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
        Host().ShowMsg(FormatMsg(MainMsg::SaveFailed, {chosen, FileSystem::ErrorText(why)}), MsgBox::Critical);
        return false;
    }
    current.ProfilePath = chosen;
    current.ProfileChanged = false;
    display_.SetProfileTitle(ProfileNameOf(chosen));
    return true;
}

bool MainCommands::DropProfileFile(const QStringList& paths, bool ctrl) {
    // Exactly one path to an existing file ending in ".tdp"; anything else is ignored.
    if (paths.size() != 1) return false;
    if (lock_.Refused()) return false;
    const QString path = paths.first();
    const QFileInfo info(path);
    if (!path.endsWith(QStringLiteral(".tdp"), Qt::CaseInsensitive) || info.isDir()) return false;
    window_->raise();
    window_->activateWindow();
    CurrentProfileState& current = CurrentProfile();
    if (ctrl && !current.ProfilePath.isEmpty()) {
        if (!ImportProfilePairs(path, current.profile)) {
            Host().AppMessageBox(FormatMsg(MainMsg::ImportFailed, {path}), MsgBox::Exclamation);
            return true;
        }
        files_.MarkStale();
        pairs_.ShowPairs();
        return true;
    }
    if (current.ProfileChanged &&
        Host().AppMessageBox(FormatMsg(MainMsg::SaveChanges), MsgBox::YesNo | MsgBox::Question) == MsgBox::Yes)
        SaveProfileAs();
    current.ProfilePath = path;
    CurrentFileView().SelectAll = true;
    LoadProfile(display_);
    return true;
}

void MainCommands::OpenExampleProfile(int index) {
    const QString path = ExpandPathPlaceholders(FormatMsg(MainMsg::ExamplePath, {QString::number(index)}));
    if (!QFileInfo(path).isFile()) {
        Host().Beep();
        return;
    }
    if (lock_.Refused()) return;
    if (!AskSaveChanges(false)) return;
    CurrentProfile().ProfilePath = path;
    CurrentFileView().SelectAll = true;
    LoadProfile(display_);
}

void MainCommands::RestoreExampleFiles() {
    if (lock_.Refused()) return;  // it rewrites folders a run may be working in
    const QString folder = ProgramFolder();
    const QString script = folder + QStringLiteral("/Restore") + Settings().LanguageName.left(2) + QStringLiteral(".sh");
    if (!QFileInfo(script).isFile()) return;
    if (!QProcess::startDetached(QStringLiteral("sh"), {script, folder + QLatin1Char('/')}, folder)) return;
    files_.MarkStale();
    ui_.cmdCompare->setFocus();
}

void MainCommands::DeleteExampleFiles() {
    if (lock_.Refused()) return;  // it deletes folders a run may be working in
    const QString target = QDir::cleanPath(ExpandPathPlaceholders(QStringLiteral("%Temp%/Tandor")));
    // Only the example folder itself, never a path that expanded to something else.
    if (!target.endsWith(QStringLiteral("/Tandor")) || target == QStringLiteral("/Tandor")) return;
    if (!QProcess::startDetached(QStringLiteral("rm"), {QStringLiteral("-rf"), QStringLiteral("--"), target})) return;
    files_.MarkStale();
}

void MainCommands::ShowDefaultSettings(const QString& tabKey) {
    dlgSettings::ShowModal(window_, tabKey, [this](bool compareOptionsChanged, bool zoomChanged) {
        emit DefaultSettingsApplied(compareOptionsChanged, zoomChanged);
    });
}

void MainCommands::ShowProfileSettings() {
    if (lock_.Refused()) return;
    dlgProfile::ShowModal(window_, CurrentProfile(), [this] { files_.MarkStale(); }, [this] { files_.Display(); });
}

bool MainCommands::ChooseLanguage() {
    return dlgLanguage::ShowModal(window_, [this] { emit LanguageChosen(); });
}
