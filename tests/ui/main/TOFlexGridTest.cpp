#include "ui/main/TOFlexGrid.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QString Ticked = QString(QChar(0x00FE));
const QString ToRight = QString(QChar(0x00E8));

class FlexGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.resize(500, 300);
        grid.SetRows(4);
        grid.SetFormatString(QStringLiteral("^X|<Name|>Size"));
    }
    TOFlexGrid grid;
};

TEST_F(FlexGridTest, FormatStringSetsColumnsTitlesAlignmentsAndWidths) {
    EXPECT_EQ(grid.Cols(), 3);
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral("Name"));
    EXPECT_EQ(grid.Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Name"));
    EXPECT_TRUE(grid.ColAlignment(0) & Qt::AlignHCenter);
    EXPECT_TRUE(grid.ColAlignment(1) & Qt::AlignLeft);
    EXPECT_TRUE(grid.ColAlignment(2) & Qt::AlignRight);
    // A longer title makes a wider column: the widths follow the titles.
    grid.SetFormatString(QStringLiteral("X|Name|A much longer title than the others"));
    EXPECT_GT(grid.ColWidth(2), grid.ColWidth(1));
    EXPECT_GE(grid.ColWidth(2), grid.TextWidth(QStringLiteral("A much longer title than the others")));
}

TEST_F(FlexGridTest, TextsCountTheTitleRowAndReachTheModel) {
    grid.SetTextMatrix(1, 1, QStringLiteral("a.txt"));
    grid.SetTextMatrix(3, 2, QStringLiteral("42"));
    EXPECT_EQ(grid.Model()->rowCount(), 3);
    EXPECT_EQ(grid.Model()->index(0, 1).data().toString(), QStringLiteral("a.txt"));
    EXPECT_EQ(grid.Model()->index(2, 2).data().toString(), QStringLiteral("42"));
    EXPECT_EQ(grid.TextArray(3 * 3 + 2), QStringLiteral("42"));
    grid.SetRows(2);
    EXPECT_EQ(grid.TextMatrix(1, 1), QStringLiteral("a.txt"));
    EXPECT_EQ(grid.TextMatrix(3, 2), QString());
    grid.AddItem(QStringLiteral("o\tb.txt\t7"));
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.TextMatrix(2, 2), QStringLiteral("7"));
    grid.RemoveItem(1);
    EXPECT_EQ(grid.TextMatrix(1, 1), QStringLiteral("b.txt"));
    grid.Clear();
    EXPECT_EQ(grid.TextMatrix(1, 1), QString());
    EXPECT_EQ(grid.Rows(), 2);
}

TEST_F(FlexGridTest, CellColoursFontsAndFillRepeat) {
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetColSel(2);
    grid.SetFillStyle(TOFlexGrid::FillRepeat);
    grid.SetCellForeColor(QColor(255, 0, 0));
    grid.SetCellFontBold(true);
    grid.SetFillStyle(TOFlexGrid::FillSingle);
    grid.SetCellBackColor(QColor(192, 192, 255));
    const QModelIndex a = grid.Model()->index(1, 1), b = grid.Model()->index(1, 2), c = grid.Model()->index(1, 0);
    EXPECT_EQ(a.data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(b.data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_FALSE(c.data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(b.data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(a.data(Qt::BackgroundRole).value<QColor>(), QColor(192, 192, 255));
    EXPECT_FALSE(b.data(Qt::BackgroundRole).isValid());
    grid.SetBackColor(QColor(224, 224, 224));
    EXPECT_EQ(grid.BackColor(), QColor(224, 224, 224));
}

TEST_F(FlexGridTest, MarkersKeepTheirCharactersAndSpeakTheirMeaning) {
    grid.SetTextMatrix(1, 0, Ticked);
    grid.SetCellFontName(1, 0, QStringLiteral("Wingdings"));
    grid.SetTextMatrix(2, 0, QStringLiteral("o"));
    grid.SetCellFontName(2, 0, QStringLiteral("Wingdings"));
    grid.SetTextMatrix(1, 2, ToRight);
    grid.SetCellFontName(1, 2, QStringLiteral("Wingdings"));
    grid.SetTextMatrix(3, 1, QStringLiteral("M"));  // an "M" in an ordinary font is a letter
    EXPECT_EQ(grid.TextMatrix(1, 0), Ticked);
    const QModelIndex tick = grid.Model()->index(0, 0);
    EXPECT_EQ(tick.data(Qt::DisplayRole).toString(), Ticked);
    EXPECT_EQ(tick.data(Qt::AccessibleTextRole).toString(), QStringLiteral("ticked"));
    EXPECT_EQ(tick.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(grid.Model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(grid.Model()->index(0, 2).data(Qt::AccessibleTextRole).toString(), QStringLiteral("copy to the right"));
    EXPECT_EQ(grid.Model()->index(2, 1).data(Qt::AccessibleTextRole).toString(), QStringLiteral("M"));
    // The title cell of a marker column: drawn by the header, spoken as its meaning.
    grid.SetTextMatrix(0, 0, Ticked);
    grid.SetCellFontName(0, 0, QStringLiteral("Wingdings"));
    EXPECT_EQ(grid.Model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(grid.Model()->headerData(0, Qt::Horizontal, Qt::AccessibleTextRole).toString(), QStringLiteral("ticked"));
    EXPECT_EQ(grid.TextMatrix(0, 0), Ticked);
}

TEST_F(FlexGridTest, MarkersAreDrawnAsPicturesNotAsLetters) {
    grid.SetColWidth(0, 40);
    grid.SetRowHeight(1, 30);
    grid.SetTextMatrix(1, 0, QStringLiteral("M"));
    grid.SetCellFontName(1, 0, QStringLiteral("Wingdings"));
    grid.SetCellForeColor(1, 0, QColor(255, 0, 255));
    grid.show();
    QApplication::processEvents();
    const QImage image = grid.grab(grid.CellRect(1, 0)).toImage();
    int magenta = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.blue() > 200 && c.green() < 80) ++magenta;
        }
    // The delete mark is a cross across the cell in the cell's colour.
    EXPECT_GT(magenta, 30);
}

// The title cell of a check column shows its box: what the header draws must reach the screen,
// and the ticked and the empty box must look different there.
TEST_F(FlexGridTest, TitleMarkerIsDrawnInTheHeader) {
    grid.SetColWidth(0, 30);
    grid.SetRowHeight(0, 30);
    grid.SetCellFontName(0, 0, QStringLiteral("Wingdings"));
    grid.show();
    QApplication::processEvents();
    QHeaderView* header = grid.horizontalHeader();
    const QRect cell(header->sectionViewportPosition(0), 0, header->sectionSize(0), header->viewport()->height());
    auto grabTitle = [&](const QString& marker) {
        grid.SetTextMatrix(0, 0, marker);
        QApplication::processEvents();
        return header->viewport()->grab(cell).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage plain = grabTitle(QStringLiteral("X"));
    const QImage empty = grabTitle(QStringLiteral("o"));
    const QImage ticked = grabTitle(Ticked);
    ASSERT_EQ(empty.size(), ticked.size());
    auto differing = [](const QImage& a, const QImage& b) {
        int count = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) ++count;
        return count;
    };
    // The tick itself: a good number of pixels inside the box change.
    EXPECT_GT(differing(empty, ticked), 10);
    // The empty box is a box, not a bare title cell or the letter "o".
    EXPECT_GT(differing(plain, empty), 10);
    // The marker sits inside the cell, away from its border.
    int inner = 0;
    for (int y = 8; y < empty.height() - 8; ++y)
        for (int x = 8; x < empty.width() - 8; ++x)
            if (empty.pixel(x, y) != ticked.pixel(x, y)) ++inner;
    EXPECT_GT(inner, 5);
}

TEST(FlexGridColours, ReadableOnKeepsGoodColoursAndDarkensFaintOnesInTheirHue) {
    const QColor white(255, 255, 255), lightBlue(192, 192, 255), black(0, 0, 0);
    EXPECT_NEAR(TOFlexGrid::Contrast(black, white), 21.0, 0.01);
    EXPECT_NEAR(TOFlexGrid::Contrast(white, white), 1.0, 0.001);
    // Colours that are readable already stay exactly as they are.
    EXPECT_EQ(TOFlexGrid::ReadableOn(QColor(0, 0, 255), white, TOFlexGrid::MinimumTextContrast), QColor(0, 0, 255));
    EXPECT_EQ(TOFlexGrid::ReadableOn(black, lightBlue, TOFlexGrid::MinimumTextContrast), black);
    // White on light blue turns into a grey that reads, not into another colour.
    const QColor grey = TOFlexGrid::ReadableOn(white, lightBlue, TOFlexGrid::MinimumTextContrast);
    EXPECT_GE(TOFlexGrid::Contrast(grey, lightBlue), TOFlexGrid::MinimumTextContrast);
    EXPECT_EQ(grey.red(), grey.green());
    EXPECT_EQ(grey.green(), grey.blue());
    EXPECT_GT(grey.red(), 40);  // only as dark as needed: not black
    // Orange on white keeps its hue and only darkens as far as needed.
    const QColor orange(255, 160, 0);
    const QColor darker = TOFlexGrid::ReadableOn(orange, white, TOFlexGrid::MinimumTextContrast);
    EXPECT_GE(TOFlexGrid::Contrast(darker, white), TOFlexGrid::MinimumTextContrast);
    EXPECT_LT(TOFlexGrid::Contrast(darker, white), TOFlexGrid::MinimumTextContrast + 0.3);
    EXPECT_NEAR(darker.hslHueF(), orange.hslHueF(), 0.02);
    // On a dark background a faint colour gets lighter.
    const QColor navy(0, 0, 64);
    const QColor lighter = TOFlexGrid::ReadableOn(QColor(0, 0, 160), navy, TOFlexGrid::MinimumTextContrast);
    EXPECT_GT(lighter.lightness(), QColor(0, 0, 160).lightness());
    EXPECT_GE(TOFlexGrid::Contrast(lighter, navy), TOFlexGrid::MinimumTextContrast);
}

// What reaches the screen: white bold text on a light blue row is drawn dark enough to read.
TEST_F(FlexGridTest, FaintTextIsDrawnReadableOnItsBackground) {
    const QColor lightBlue(192, 192, 255);
    grid.SetColWidth(1, 200);
    grid.SetRowHeight(1, 24);
    for (int c = 0; c < 3; ++c) {
        grid.SetCellBackColor(1, c, lightBlue);
        grid.SetCellForeColor(1, c, QColor(255, 255, 255));
        grid.SetCellFontBold(1, c, true);
    }
    grid.SetTextMatrix(1, 1, QStringLiteral("/home/user/Documents"));
    grid.show();
    QApplication::processEvents();
    const QImage image = grid.grab(grid.CellRect(1, 1)).toImage();
    double best = 1.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) best = std::max(best, TOFlexGrid::Contrast(image.pixelColor(x, y), lightBlue));
    EXPECT_GE(best, TOFlexGrid::MinimumTextContrast - 0.2);
    // The cell keeps the colour it was given.
    EXPECT_EQ(grid.Model()->Cell(1, 1).fore, QColor(255, 255, 255));
}

TEST_F(FlexGridTest, ScreenReadersReachColumnTitlesAndCells) {
    grid.SetTextMatrix(1, 1, QStringLiteral("a.txt"));
    grid.SetTextMatrix(1, 0, Ticked);
    grid.SetCellFontName(1, 0, QStringLiteral("Wingdings"));
    grid.show();
    QApplication::processEvents();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&grid);
    ASSERT_TRUE(iface);
    QAccessibleTableInterface* table = iface->tableInterface();
    ASSERT_TRUE(table);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->columnCount(), 3);
    QAccessibleInterface* cell = table->cellAt(0, 1);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("a.txt"));
    QAccessibleTableCellInterface* cellIface = cell->tableCellInterface();
    ASSERT_TRUE(cellIface);
    const QList<QAccessibleInterface*> headers = cellIface->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers.first()->text(QAccessible::Name), QStringLiteral("Name"));
    QAccessibleInterface* marker = table->cellAt(0, 0);
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->text(QAccessible::Name), QStringLiteral("ticked"));
    EXPECT_TRUE(marker->state().checked);
}

TEST_F(FlexGridTest, MergedRowsJoinEqualNeighbours) {
    grid.SetCols(4);
    grid.SetMergeCells(1);
    grid.SetMergeRow(1, true);
    grid.SetTextMatrix(1, 1, QStringLiteral("/left"));
    grid.SetTextMatrix(1, 2, QStringLiteral("/left"));
    grid.SetTextMatrix(1, 3, QStringLiteral("/left"));
    EXPECT_EQ(grid.columnSpan(0, 1), 3);
    grid.SetTextMatrix(2, 1, QStringLiteral("same"));
    grid.SetTextMatrix(2, 2, QStringLiteral("same"));
    EXPECT_EQ(grid.columnSpan(1, 1), 1);  // row 2 does not merge
    grid.SetTextMatrix(1, 3, QStringLiteral("other"));
    EXPECT_EQ(grid.columnSpan(0, 1), 2);
    grid.SetMergeRow(1, false);
    EXPECT_EQ(grid.columnSpan(0, 1), 1);
}

TEST_F(FlexGridTest, SizesRowHeightsAndClientSize) {
    grid.SetRowHeight(2, 37);
    EXPECT_EQ(grid.RowHeight(2), 37);
    grid.SetRowHeight(0, 29);
    EXPECT_EQ(grid.RowHeight(0), 29);
    grid.SetColWidth(1, 123);
    EXPECT_EQ(grid.ColWidth(1), 123);
    grid.setFrameStyle(QFrame::Box | QFrame::Plain);
    grid.setLineWidth(3);
    grid.SetSizeX(300);
    grid.SetSizeY(200);
    EXPECT_EQ(grid.contentsRect().width(), 300);
    EXPECT_EQ(grid.contentsRect().height(), 200);
    EXPECT_EQ(grid.SizeX(), 300);
    EXPECT_GT(grid.width(), 300);
}

TEST_F(FlexGridTest, MouseAndKeyboardRaiseTheEventsWithFlexCoordinates) {
    grid.SetTextMatrix(2, 1, QStringLiteral("b"));
    grid.show();
    QApplication::processEvents();
    int clicks = 0, downs = 0, doubles = 0, rowColChanges = 0;
    Qt::MouseButton downButton = Qt::NoButton;
    QObject::connect(&grid, &TOFlexGrid::Click, [&] { ++clicks; });
    QObject::connect(&grid, &TOFlexGrid::DblClick, [&] { ++doubles; });
    QObject::connect(&grid, &TOFlexGrid::MouseDown, [&](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) { ++downs; downButton = b; });
    QObject::connect(&grid, &TOFlexGrid::RowColChange, [&] { ++rowColChanges; });
    const QRect cell = grid.CellRect(2, 1);
    const QPoint inViewport = grid.viewport()->mapFrom(&grid, cell.center());
    QMouseEvent press(QEvent::MouseButtonPress, inViewport, grid.viewport()->mapToGlobal(inViewport), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inViewport, grid.viewport()->mapToGlobal(inViewport), Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &release);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(downButton, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(grid.MouseRow(), 2);
    EXPECT_EQ(grid.MouseCol(), 1);
    EXPECT_EQ(grid.Row(), 2);  // a click makes the cell current
    EXPECT_EQ(rowColChanges, 1);
    rowColChanges = 0;

    // The title row answers as row 0.
    const QPoint title = grid.CellRect(0, 2).center();
    const QPoint inHeader = grid.horizontalHeader()->viewport()->mapFrom(&grid, title);
    QMouseEvent headerPress(QEvent::MouseButtonPress, inHeader, grid.mapToGlobal(title), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.horizontalHeader()->viewport(), &headerPress);
    EXPECT_EQ(grid.MouseRow(), 0);
    EXPECT_EQ(grid.MouseCol(), 2);

    // Keyboard moves the current cell; the program's own moves stay quiet.
    grid.setFocus();
    grid.SetRow(1);
    grid.SetCol(1);
    EXPECT_EQ(rowColChanges, 0);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&grid, &down);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(rowColChanges, 1);
    EXPECT_EQ(grid.Text(), QStringLiteral("b"));
}

}  // namespace
