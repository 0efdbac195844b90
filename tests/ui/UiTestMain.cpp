// The entry of the window tests: one QApplication for every test (offscreen unless the
// environment says otherwise), the program folder pointed at the build folder, where the
// language files are.

#include "platform/SystemInfo.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
