// The entry of the browser window tests: one QApplication and so one browser engine for every
// test (its start-up is slow), offscreen unless the environment says otherwise. The engine's
// own sandbox cannot run as root; there it is switched off, as the program does.

#include "platform/SystemInfo.h"
#include "web/BrowserModule.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <unistd.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
    // The browser window is linked into this program: the update check and the help keys reach
    // it through the loader as in the program, without loading the module a second time.
    UseLinkedBrowserForTests(TandorBrowserModuleEntry());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
