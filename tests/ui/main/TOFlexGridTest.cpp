// The grid as users see and hear it: markers drawn as pictures and read as their meaning, text
// that stays readable on its background. (Merged folder rows and clicks are tested where the
// file list makes and takes them.)
#include "ui/main/TOFlexGrid.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QHeaderView>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString Ticked = QString(QChar(0x00FE));
const QString ToRight = QString(QChar(0x00E8));
const QString Wingdings = QStringLiteral("Wingdings");

int Differing(const QImage& a, const QImage& b, int margin = 0) {
    int count = 0;
    for (int y = margin; y < a.height() - margin; ++y)
        for (int x = margin; x < a.width() - margin; ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) ++count;
    return count;
}

class FlexGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.resize(500, 300);
        grid.SetRows(4);
        grid.SetFormatString(QStringLiteral("^X|<Name|>Size"));
    }
    void Show() {
        grid.show();
        QApplication::processEvents();
    }
    QImage Cell(int row, int col) { return grid.grab(grid.CellRect(row, col)).toImage().convertToFormat(QImage::Format_RGB32); }
    TOFlexGrid grid;
};

// What a screen reader hears of each cell: a marker in the symbol font is its meaning (and a
// tick box says whether it is ticked); the same letter in an ordinary font is just a letter.
TEST_F(FlexGridTest, ScreenReadersHearWhatMarkersMeanAndTheColumnTitles) {
    const struct {
        QString text, font, heard;
        int checked;  // -1: no check state
    } cases[] = {
        {Ticked, Wingdings, QStringLiteral("ticked"), 1},
        {QStringLiteral("o"), Wingdings, QStringLiteral("not ticked"), 0},
        {ToRight, Wingdings, QStringLiteral("copy to the right"), -1},
        {QStringLiteral("M"), QString(), QStringLiteral("M"), -1},
        {QStringLiteral("a.txt"), QString(), QStringLiteral("a.txt"), -1},
    };
    // The words come from the language in use; another test may have left German behind.
    TOFlexGridModel::SetMarkerNames(QStringLiteral("ticked"), QStringLiteral("not ticked"), QStringLiteral("copy to the right"),
                                    QStringLiteral("copy to the left"), QStringLiteral("delete"));
    Show();
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(&grid)->tableInterface();
    ASSERT_TRUE(table);
    for (const auto& c : cases) {
        grid.SetTextMatrix(1, 1, c.text);
        grid.SetCellFontName(1, 1, c.font);
        EXPECT_EQ(grid.TextMatrix(1, 1), c.text);  // the program reads back its own character
        QAccessibleInterface* cell = table->cellAt(0, 1);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->text(QAccessible::Name), c.heard);
        if (c.checked >= 0) {
            EXPECT_EQ(bool(cell->state().checked), c.checked == 1) << c.heard.toStdString();
        }
    }
    const QList<QAccessibleInterface*> headers = table->cellAt(0, 1)->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers.first()->text(QAccessible::Name), QStringLiteral("Name"));
    // A marker in the title row is drawn by the header and heard as its meaning.
    grid.SetTextMatrix(0, 0, Ticked);
    grid.SetCellFontName(0, 0, Wingdings);
    EXPECT_EQ(grid.Model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(grid.Model()->headerData(0, Qt::Horizontal, Qt::AccessibleTextRole).toString(), QStringLiteral("ticked"));
}

TEST_F(FlexGridTest, MarkersAreDrawnAsPicturesInCellsAndTitles) {
    grid.SetColWidth(0, 40);
    grid.SetRowHeight(0, 30);
    grid.SetRowHeight(1, 30);
    grid.SetTextMatrix(1, 0, QStringLiteral("M"));
    grid.SetCellFontName(1, 0, Wingdings);
    grid.SetCellForeColor(1, 0, QColor(255, 0, 255));
    grid.SetCellFontName(0, 0, Wingdings);
    Show();
    // The delete mark is a cross across the cell in the cell's colour.
    const QImage cross = Cell(1, 0);
    int magenta = 0;
    for (int y = 0; y < cross.height(); ++y)
        for (int x = 0; x < cross.width(); ++x) {
            const QColor c = cross.pixelColor(x, y);
            if (c.red() > 200 && c.blue() > 200 && c.green() < 80) ++magenta;
        }
    EXPECT_GT(magenta, 30);
    // The title's box: ticked and empty look different inside the cell, and the empty box is
    // not a bare title or the letter "o".
    QHeaderView* header = grid.horizontalHeader();
    const QRect title(header->sectionViewportPosition(0), 0, header->sectionSize(0), header->viewport()->height());
    auto grabTitle = [&](const QString& marker) {
        grid.SetTextMatrix(0, 0, marker);
        QApplication::processEvents();
        return header->viewport()->grab(title).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage plain = grabTitle(QStringLiteral("X"));
    const QImage empty = grabTitle(QStringLiteral("o"));
    const QImage ticked = grabTitle(Ticked);
    EXPECT_GT(Differing(empty, ticked, 8), 5);
    EXPECT_GT(Differing(plain, empty), 10);
}

// The windows pick text colours by meaning; drawn on a cell's background each must read (at
// least the minimum contrast) and keep its hue, only as much darker or lighter as it needs.
TEST_F(FlexGridTest, TextIsDrawnReadableOnItsBackgroundInItsOwnHue) {
    const QColor white(255, 255, 255), lightBlue(192, 192, 255), navy(0, 0, 64);
    const struct {
        QColor fore, back;
    } cases[] = {
        {white, lightBlue},                // turns into a grey that reads
        {QColor(255, 160, 0), white},      // orange darkens in its hue
        {QColor(0, 0, 160), navy},         // a faint colour on a dark background gets lighter
        {QColor(0, 0, 255), white},        // readable already: drawn as it is
    };
    grid.SetColWidth(1, 200);
    grid.SetRowHeight(1, 24);
    Show();
    for (const auto& c : cases) {
        for (int col = 0; col < 3; ++col) {
            grid.SetCellBackColor(1, col, c.back);
            grid.SetCellForeColor(1, col, c.fore);
            grid.SetCellFontBold(1, col, true);
        }
        grid.SetTextMatrix(1, 1, QStringLiteral("/home/user/Documents WWW"));
        QApplication::processEvents();
        const QImage image = Cell(1, 1);
        QColor best = c.back;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (TOFlexGrid::Contrast(pixel, c.back) > TOFlexGrid::Contrast(best, c.back)) best = pixel;
            }
        const double wanted = std::max(TOFlexGrid::Contrast(c.fore, c.back), TOFlexGrid::MinimumTextContrast);
        const double reached = TOFlexGrid::Contrast(best, c.back);
        const std::string at = c.fore.name().toStdString() + " on " + c.back.name().toStdString();
        EXPECT_GE(reached, wanted - 0.2) << at;
        EXPECT_LT(reached, wanted + 0.5) << at << ": further from the colour than needed";
        if (c.fore.hslSaturation() > 0) {
            EXPECT_NEAR(best.hslHueF(), c.fore.hslHueF(), 0.03) << at;
        }
    }
}

}  // namespace
