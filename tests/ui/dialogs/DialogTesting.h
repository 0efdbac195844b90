#pragma once
// The dialog tests' set-up: an isolated environment in a language, and a host that records boxes.

#include "config/ProgramSettings.h"
#include "engine/HeadlessRunHost.h"
#include "i18n/TextLookup.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QList>
#include <QPair>

#include <gtest/gtest.h>

struct RecordingHost : HeadlessRunHost {
    QList<QPair<QString, int>> asked;  // text and style of every box, in order
    int AppMessageBox(const QString& text, int style, const QString& title = QString()) override {
        asked << qMakePair(text, style);
        return HeadlessRunHost::AppMessageBox(text, style, title);
    }
    QStringList Texts() const {
        QStringList texts;
        for (const auto& entry : asked) texts << entry.first;
        return texts;
    }
};

struct DialogFixture : ::testing::Test {
    IsolatedEnvironment env;
    RecordingHost host;
    TempTree tree;

    void SetUp() override { UseLanguage(QStringLiteral("English")); }
    void TearDown() override { SetHost(nullptr); }
    void UseLanguage(const QString& name) {
        Settings().LanguageName = name;
        ReloadLocalizer();
        SetHost(&host);
    }
};
