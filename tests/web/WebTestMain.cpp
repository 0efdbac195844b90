// The entry of the browser window tests: one QApplication and so one browser engine for every
// test (its start-up is slow), offscreen unless the environment says otherwise. The engine's
// own sandbox cannot run as root; there it is switched off, as the program does.

#include "platform/SystemInfo.h"
#include "web/BrowserModule.h"
#include "web/module/frmWizard.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {
// The browser window linked into this program, without online help: the update check and the
// help keys reach it through the loader as in the program, and no test page comes from the
// network.
class LinkedBrowser : public BrowserSource {
public:
    const BrowserModuleEntry* Open(QString&) override {
        static const BrowserModuleEntry entry{
            BrowserModuleEntry::kInterfaceVersion, []() -> BrowserWindow* { return frmWizard::Current(); },
            []() -> BrowserWindow* {
                if (!frmWizard::Current()) frmWizard::Get()->SetOnlineBase(QString());
                return frmWizard::Get();
            }};
        return &entry;
    }
};
}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
    UseBrowserSource(std::make_unique<LinkedBrowser>());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
