#pragma once
// Set-up shared by the main window's tests.

#include "config/Profile.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "support/TempTree.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MainFileList.h"
#include "ui/main/MainPairList.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/frmMain.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>

// What a test of the main window holds: its own settings and data folders, a host without
// windows, a temporary tree and the window, made by the test.
struct MainWindowFixture : ::testing::Test {
    IsolatedEnvironment env;
    HeadlessRunHost host;
    TempTree tree;
    std::unique_ptr<frmMain> window;
};

// A main window in English with empty lists, prepared as start-up prepares it; shown when asked.
inline std::unique_ptr<frmMain> MakePreparedMainWindow(int width, int height, bool show) {
    ResetFileView();
    Settings().LanguageName = QStringLiteral("English");
    auto window = std::make_unique<frmMain>();
    window->resize(width, height);
    window->Prepare();
    if (show) {
        window->show();
        QApplication::processEvents();
    }
    return window;
}

// A profile file with one pair "left" -> "right" inside the tree, every file and folder included.
inline QString WriteLeftRightProfile(TempTree& tree) {
    Profile profile;
    FolderPair pair;
    pair.Dir = {tree.Path(QStringLiteral("left")), tree.Path(QStringLiteral("right"))};
    pair.Mask = {QStringLiteral("*"), QString(), QStringLiteral("*"), QString(), QString()};
    profile.Pairs << pair;
    const QString path = tree.Path(QStringLiteral("p.tdp"));
    WriteProfileFile(path, profile);
    return path;
}

// The view list index of the first row whose name on either side is name (0: none).
inline int ViewIndexOf(const QString& name) {
    const FileView& view = CurrentFileView();
    for (int i = 1; i <= view.LastIndex(); ++i)
        if (view.ViewList[static_cast<size_t>(i)].Name[0] == name || view.ViewList[static_cast<size_t>(i)].Name[1] == name)
            return i;
    return 0;
}

// A left click at a point of a widget: a press and a release, as the mouse gives them.
inline void MouseClick(QWidget* target, const QPoint& at) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
}

// The ways a user presses a control without the mouse: Space with the focus on it, and a
// screen reader's or voice control's accessibility action Toggle.
inline void PressSpace(QWidget* widget) {
    widget->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}
inline void AccessibleToggle(QAccessibleInterface* face) {
    ASSERT_NE(face, nullptr);
    ASSERT_NE(face->actionInterface(), nullptr);
    ASSERT_TRUE(face->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

// A shown main window in an isolated environment, answering through a headless host, with its
// file list at hand; the test fills the results and rebuilds the view itself.
struct FileListFixture : ::testing::Test {
    IsolatedEnvironment env;
    HeadlessRunHost host;
    std::unique_ptr<frmMain> window;
    MainFileList* list = nullptr;
    TOFlexGrid* grid = nullptr;

    void OpenWindow(int width, int height) {
        SetHost(&host);
        window = MakePreparedMainWindow(width, height, true);
        list = &window->Files();
        grid = list->Grid();
    }
    void TearDown() override {
        window.reset();
        SetHost(nullptr);
    }
    void Click(int pageRow, int col, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        list->Click(pageRow, col, Qt::LeftButton, mods, QPoint());
    }
};
