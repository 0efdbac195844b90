#pragma once
// A compare run on real folder trees: a profile built pair by pair, the headless host, and the
// rows of the result in a form a test can compare.

#include "config/Profile.h"
#include "engine/CompareRun.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "engine/RunState.h"
#include "config/ProgramSettings.h"
#include "i18n/TextLookup.h"
#include "platform/FileListing.h"
#include "platform/SystemInfo.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>

class CompareRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A language file whose texts name their own numbers, so a status can be told by number.
        QByteArray lang;
        for (int key : {855, 856, 857, 872, 873}) lang += QByteArray::number(key) + "=T" + QByteArray::number(key) + "\n";
        program_.File("Test.lang", lang);
        SetProgramFolderForTests(program_.Path());
        Settings().LanguageName = "Test";
        ReloadLocalizer();
        SetHost(&host_);
    }
    void TearDown() override {
        SetHost(nullptr);
        FileSystem::SetCaseFoldingFoldersForTests({});
        SetProgramFolderForTests(QString());
        ReloadLocalizer();
    }

    FolderPair& AddPair(const QString& left, const QString& right) {
        FolderPair p;
        p.Dir = {left, right};
        p.Mask = {"*", "", "*", "", ""};
        profile_.Pairs.append(p);
        return profile_.Pairs.last();
    }

    CompareRunResult Compare() { return CompareRun(profile_, view_); }

    // Rows of the result as "L|R|action" with paths relative to the trees' parents.
    QStringList Rows() const {
        QStringList out;
        for (size_t i = 1; i < view_.Results.size(); ++i) {
            const CompareRow& r = view_.Results[i];
            out << QString("%1|%2|%3").arg(r.Name(0), r.Name(1)).arg(r.SyncAction);
        }
        return out;
    }

    IsolatedEnvironment env_;
    TempTree program_;
    HeadlessRunHost host_;
    Profile profile_;
    FileView view_;
};
