// Closing the main window: the question about unsaved changes comes first, the window does not
// close under a dialog, and the placement is kept for the next start.
#include "ui/main/frmMain.h"

#include "ui/main/MainCommands.h"

#include "config/Profile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"

#include <QApplication>
#include <QCloseEvent>

namespace {
double TwipsPerPixel(const QWidget* w) { return 1440.0 / qMax(1, w->logicalDpiX()); }
}  // namespace

bool frmMain::UnderOpenDialog() const {
    // A modal dialog, a dialog that disabled this window (the task scheduler) or the progress
    // window of a run: closing now would pull the lists and the profile from under it.
    return QApplication::activeModalWidget() != nullptr || !isEnabled() || lock_.Running();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!closing_ && UnderOpenDialog()) {
        event->ignore();
        Host().Beep();
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->raise();
            dialog->activateWindow();
        }
        return;
    }
    // The question comes first: Cancel keeps the window as it was, its list and counts included.
    if (!commands_->AskSaveChanges(true)) {
        event->ignore();
        closing_ = false;
        return;
    }
    CurrentFileView().Clear();
    ProgramSettings& settings = Settings();
    const Qt::WindowStates state = windowState();
    if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const double tpp = TwipsPerPixel(this);
        const float now[4] = {static_cast<float>(pos().x() * tpp), static_cast<float>(pos().y() * tpp),
                              static_cast<float>(width() * tpp), static_cast<float>(height() * tpp)};
        const QStringList stored = settings.FormPos.split(QLatin1Char(';'));
        bool differs = stored.size() != 4;
        for (int i = 0; i < 4 && !differs; ++i) differs = stored[i].toFloat() != now[i];
        if (differs) {
            QStringList parts;
            for (float f : now) parts << QString::number(static_cast<double>(f), 'g', 9);
            settings.FormPos = parts.join(QLatin1Char(';'));
            WriteSettingsString(QStringLiteral("Form"), QStringLiteral("Pos"), settings.FormPos);
        }
    }
    if (!(state & Qt::WindowMinimized)) {
        const int current = (state & Qt::WindowMaximized) ? 2 : 0;
        if (current != settings.FormState) {
            settings.FormState = current;
            WriteSettingsString(QStringLiteral("Form"), QStringLiteral("State"), QString::number(current));
        }
    }
    tmrMain_.stop();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) w->close();
    event->accept();
}
