#pragma once
// Set-up shared by the main window's tests.

#include "config/Profile.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "support/TempTree.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/frmMain.h"

#include <QApplication>

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

// A shown main window in an isolated environment, answering through a headless host, with its
// file list at hand; the test fills the results and rebuilds the view itself.
struct FileListFixture : ::testing::Test {
    IsolatedEnvironment env;
    HeadlessRunHost host;
    std::unique_ptr<frmMain> window;
    TOFlexGrid* grid = nullptr;

    void OpenWindow(int width, int height) {
        SetHost(&host);
        window = MakePreparedMainWindow(width, height, true);
        grid = window->flexFiles();
    }
    void TearDown() override {
        window.reset();
        SetHost(nullptr);
    }
};
