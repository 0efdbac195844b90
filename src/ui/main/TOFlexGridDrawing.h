#pragma once
// The grid's drawing: the cell delegate that draws markers as pictures and keeps faint text
// readable, and the title row's header. TOFlexGrid.cpp builds the grid around them.

class QAbstractItemDelegate;
class QHeaderView;
class TOFlexGrid;

namespace TOFlexGridDrawing {

// Room beside a column title, on top of the style's own margin.
constexpr int TitlePadding = 3;

QAbstractItemDelegate* NewCellDelegate(TOFlexGrid* grid);
QHeaderView* NewTitleHeader(TOFlexGrid* grid);

}  // namespace TOFlexGridDrawing
