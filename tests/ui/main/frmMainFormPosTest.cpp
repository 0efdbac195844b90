// The main window's place is written when it closes only when it moved or changed its size.
#include "MainWindowTesting.h"

#include <QFile>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(MainWindowPlacement, PosIsWrittenOnlyWhenTheWindowMoved) {
    IsolatedEnvironment env;
    HeadlessRunHost host;
    SetHost(&host);
    LoadProgramSettings();
    auto window = MakePreparedMainWindow(300, 200, false);
    window->RestorePosition(Settings().FormPos);
    window->show();
    QApplication::processEvents();
    const QByteArray before = ReadAll(Settings().SettingsFilePath);
    ASSERT_TRUE(before.contains("Pos=0;0;9600;7200")) << before.constData();

    window->close();  // where the settings put it: nothing to write
    EXPECT_EQ(ReadAll(Settings().SettingsFilePath), before);

    window->show();
    window->move(window->pos() + QPoint(1, 0));
    QApplication::processEvents();
    window->close();
    const QByteArray after = ReadAll(Settings().SettingsFilePath);
    EXPECT_NE(after, before);
    EXPECT_TRUE(after.contains("Pos=15;0;9600;7200")) << after.constData();
    EXPECT_EQ(Settings().FormPos, QStringLiteral("15;0;9600;7200"));
    window.reset();
    SetHost(nullptr);
}

}  // namespace
