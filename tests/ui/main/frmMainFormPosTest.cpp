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
    window->close();  // the window's least size differs from the stored one: written once
    const QByteArray placed = ReadAll(Settings().SettingsFilePath);
    const QStringList stored = Settings().FormPos.split(';');
    ASSERT_EQ(stored.size(), 4);
    ASSERT_TRUE(placed.contains("Pos=" + Settings().FormPos.toLatin1())) << placed.constData();

    window->show();
    QApplication::processEvents();
    window->close();  // not moved: nothing is written
    EXPECT_EQ(ReadAll(Settings().SettingsFilePath), placed);

    window->show();
    window->move(window->pos() + QPoint(1, 0));  // one pixel is 15 twips at 96 dots per inch
    QApplication::processEvents();
    window->close();
    const QString moved = QString::number(stored[0].toInt() + 15) + ';' + stored.mid(1).join(';');
    EXPECT_EQ(Settings().FormPos, moved);
    EXPECT_TRUE(ReadAll(Settings().SettingsFilePath).contains("Pos=" + moved.toLatin1()));
    window.reset();
    SetHost(nullptr);
}

}  // namespace
