#pragma once
// Set-up shared by the main window's tests.

#include "config/Profile.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "i18n/TextLookup.h"
#include "support/TempTree.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MainFileList.h"
#include "ui/main/MainPairList.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/frmMain.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

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
        if (view.ViewList[static_cast<size_t>(i)].Name(0) == name || view.ViewList[static_cast<size_t>(i)].Name(1) == name)
            return i;
    return 0;
}

// A main window in an isolated environment with its own settings, data folders and temporary
// tree, answering through a host without windows; the test opens the window when it needs it.
struct MainWindowFixture : ::testing::Test {
    IsolatedEnvironment env;
    HeadlessRunHost host;
    TempTree tree;
    std::unique_ptr<frmMain> window;
    MainFileList* list = nullptr;
    TOFlexGrid* grid = nullptr;

    void SetUp() override { SetHost(&host); }
    void OpenWindow(int width, int height, bool show = true) {
        window = MakePreparedMainWindow(width, height, show);
        list = &window->Files();
        grid = list->Grid();
    }
    void TearDown() override {
        CurrentProfile().ProfileChanged = false;
        window.reset();
        SetHost(nullptr);
        Settings().LanguageName = QStringLiteral("English");
        ReloadLocalizer();
    }
};
