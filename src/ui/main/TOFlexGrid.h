#pragma once
// The program's grid: an item view whose cells screen readers can read, with the interface of
// a flexible grid as the windows use it. Row and column numbers count every row, the fixed
// title row included (row 0 when FixedRows is 1); that row is shown as the column header.
// Sizes are pixels. Setting Row, Col or other properties from the program raises no events;
// the events come from the user (mouse, keyboard, scrolling).
//
// Marker cells: a cell whose font is "Wingdings" and whose text is one of the marker
// characters ("þ" ticked box, "o" empty box, "è" arrow right, "ç" arrow left, "M" delete mark)
// keeps that character as its text and is drawn as the picture it stands for.

#include "ui/main/TOFlexGridModel.h"

#include <QTableView>

class QMimeData;

class TOFlexGrid : public QTableView {
    Q_OBJECT
public:
    enum FillStyleValue { FillSingle = 0, FillRepeat = 1 };
    enum HighLightValue { HighlightNever = 0, HighlightAlways = 1, HighlightWithFocus = 2 };
    enum ScrollBarsValue { ScrollBarNone = 0, ScrollBarHorizontal = 1, ScrollBarVertical = 2, ScrollBarBoth = 3 };

    explicit TOFlexGrid(QWidget* parent = nullptr);

    TOFlexGridModel* Model() const { return model_; }

    // Shape.
    int Rows() const { return model_->Rows(); }
    void SetRows(int rows);
    int Cols() const { return model_->Cols(); }
    void SetCols(int cols);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int fixedRows);  // 0 or 1: the title row
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int fixedCols);  // drawn in the fixed colours
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    int RowHeightMin() const { return rowHeightMin_; }
    void SetRowHeightMin(int height);
    // Columns separated by "|", each optionally starting with an alignment mark ("<" left,
    // "^" centre, ">" right); the text after a ";" (titles of rows) is ignored. Sets the number
    // of columns, their titles (row 0), alignments and widths fitting the titles.
    QString FormatString() const { return formatString_; }
    void SetFormatString(const QString& format);

    // Cells.
    QString TextMatrix(int row, int col) const { return model_->Cell(row, col).text; }
    void SetTextMatrix(int row, int col, const QString& text);
    QString TextArray(int index) const;
    void SetTextArray(int index, const QString& text);
    Qt::Alignment ColAlignment(int col) const { return model_->ColAlignment(col); }
    void SetColAlignment(int col, Qt::Alignment alignment) { model_->SetColAlignment(col, alignment); }
    QVariant RowData(int row) const { return model_->RowData(row); }
    void SetRowData(int row, const QVariant& value) { model_->SetRowData(row, value); }
    QVariant ColData(int col) const { return colData_.value(col); }
    void SetColData(int col, const QVariant& value) { colData_[col] = value; }
    // Direct per-cell formatting (the same as Row/Col plus a Cell property).
    void SetCellForeColor(int row, int col, const QColor& color);
    void SetCellBackColor(int row, int col, const QColor& color);
    void SetCellFontName(int row, int col, const QString& fontName);
    void SetCellFontBold(int row, int col, bool bold);

    // The current cell and the selection; the Cell properties act on the current cell, or on
    // the whole range Row..RowSel x Col..ColSel when FillStyle is FillRepeat.
    int Row() const { return row_; }
    void SetRow(int row);
    int Col() const { return col_; }
    void SetCol(int col);
    int RowSel() const { return rowSel_; }
    void SetRowSel(int row) { rowSel_ = row; }
    int ColSel() const { return colSel_; }
    void SetColSel(int col) { colSel_ = col; }
    int FillStyle() const { return fillStyle_; }
    void SetFillStyle(int style) { fillStyle_ = style; }
    QString Text() const { return TextMatrix(row_, col_); }
    void SetText(const QString& text);
    QColor CellForeColor() const { return model_->Cell(row_, col_).fore; }
    void SetCellForeColor(const QColor& color);
    QColor CellBackColor() const { return model_->Cell(row_, col_).back; }
    void SetCellBackColor(const QColor& color);
    QString CellFontName() const;
    void SetCellFontName(const QString& fontName);
    bool CellFontBold() const { return model_->Cell(row_, col_).bold; }
    void SetCellFontBold(bool bold);
    // The current cell's rectangle in the grid's coordinates.
    int CellLeft() const { return CellRect(row_, col_).left(); }
    int CellTop() const { return CellRect(row_, col_).top(); }
    int CellWidth() const { return CellRect(row_, col_).width(); }
    int CellHeight() const { return CellRect(row_, col_).height(); }
    QRect CellRect(int row, int col) const;

    // Merging: with MergeCells on, equal neighbouring non-empty texts of a row whose MergeRow
    // is set share one cell.
    int MergeCells() const { return mergeCells_; }
    void SetMergeCells(int mode);
    bool MergeRow(int row) const { return mergeRows_.value(row, false); }
    void SetMergeRow(int row, bool merge);
    bool MergeCol(int col) const { return mergeCols_.value(col, false); }
    void SetMergeCol(int col, bool merge) { mergeCols_[col] = merge; }

    // Scrolling and visibility.
    int TopRow() const;
    void SetTopRow(int row);
    bool RowIsVisible(int row) const;
    bool ColIsVisible(int col) const;
    int RowPos(int row) const { return CellRect(row, 0).top(); }
    int ColPos(int col) const { return CellRect(0, col).left(); }
    // The cell under the mouse at the last mouse event; -1 where there is none.
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }
    // The row and column at a point of the grid (-1 outside the cells).
    int RowAtPoint(const QPoint& p) const;
    int ColAtPoint(const QPoint& p) const;

    // Appearance.
    QColor ForeColor() const;
    void SetForeColor(const QColor& color);
    QColor BackColor() const;
    void SetBackColor(const QColor& color);
    QColor ForeColorFixed() const { return model_->fixedFore; }
    void SetForeColorFixed(const QColor& color);
    QColor BackColorFixed() const { return model_->fixedBack; }
    void SetBackColorFixed(const QColor& color);
    QColor ForeColorSel() const;
    void SetForeColorSel(const QColor& color);
    QColor BackColorSel() const;
    void SetBackColorSel(const QColor& color);
    QColor BackColorBkg() const;
    void SetBackColorBkg(const QColor& color);
    QColor GridColor() const { return gridColor_; }
    void SetGridColor(const QColor& color);
    bool GridLines() const { return showGrid(); }
    void SetGridLines(bool on) { setShowGrid(on); }
    int HighLight() const { return highLight_; }
    void SetHighLight(int mode);
    bool FocusRect() const { return focusRect_; }
    void SetFocusRect(bool on);
    int ScrollBars() const { return scrollBars_; }
    void SetScrollBars(int bars);
    bool WordWrap() const { return wordWrap(); }
    void SetWordWrap(bool on) { setWordWrap(on); }
    bool Redraw() const { return redraw_; }
    void SetRedraw(bool on);
    bool AllowUserResizing() const;
    void SetAllowUserResizing(bool on);
    // 0 none, 1 manual: drops raise OLEDragOver and OLEDragDrop.
    int OLEDropMode() const { return oleDropMode_; }
    void SetOLEDropMode(int mode);

    // Readable colours: a cell's text colour is drawn with at least MinimumTextContrast against
    // the cell's background (markers, which are pictures, with MinimumGraphicContrast). The
    // cells keep the colours they were given; only the drawing adjusts them.
    static constexpr double MinimumTextContrast = 4.5;
    static constexpr double MinimumGraphicContrast = 3.0;
    // The contrast ratio of two colours by their relative luminance, from 1 (same) to 21.
    static double Contrast(const QColor& a, const QColor& b);
    // fore itself when it reaches minimumContrast on back; else the same hue and saturation,
    // darker on a light background (lighter on a dark one), just far enough to reach it.
    static QColor ReadableOn(const QColor& fore, const QColor& back, double minimumContrast);

    // A row cursor and a range of marked rows (grid rows; -1: none), drawn over the cells: the
    // cursor as a frame round the row, the marked rows tinted with the selection colour.
    void SetCursorRows(int cursorRow, int firstMarked, int lastMarked);
    int CursorRow() const { return cursorRow_; }
    bool RowMarked(int row) const { return row >= firstMarked_ && row <= lastMarked_ && row >= 0; }

    // The usable (client) size: the inside of the border, whatever the border is.
    int SizeX() const { return sizeX_; }
    void SetSizeX(int width);
    int SizeY() const { return sizeY_; }
    void SetSizeY(int height);

    // Methods.
    void Refresh();
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    void Clear();
    // Adds a row (tab-separated texts) at the end, or before row index.
    void AddItem(const QString& text, int index = -1);
    void RemoveItem(int row);

signals:
    void Click();
    void DblClick();
    void KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void KeyPress(const QString& text);
    void KeyUp(int keyCode, Qt::KeyboardModifiers shift);
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // The handler may narrow *effect (for instance to a copy while Ctrl is held).
    void OLEDragOver(const QMimeData* data, Qt::DropAction* effect, Qt::MouseButtons button,
                     Qt::KeyboardModifiers shift, int x, int y);
    void OLEDragDrop(const QMimeData* data, Qt::DropAction effect, Qt::MouseButtons button,
                     Qt::KeyboardModifiers shift, int x, int y);
    void SelChange();
    void RowColChange();
    void EnterCell();
    void LeaveCell();
    void Scroll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    template <typename Change>
    void EditRange(Change change);
    void UpdateMerges(int row);
    void UpdateAllMerges();
    void TrackMouse(const QPoint& gridPoint);
    void ApplyPalette();
    int HeaderRows() const { return model_->HeaderRows(); }
    QModelIndex IndexOf(int row, int col) const;
    void OnCellChanged(int row, int col);

    TOFlexGridModel* model_;
    int fixedRows_ = 0;
    int fixedCols_ = 0;
    int row_ = 0, col_ = 0, rowSel_ = 0, colSel_ = 0;
    int fillStyle_ = FillSingle;
    int mergeCells_ = 0;
    QHash<int, bool> mergeRows_;
    QHash<int, bool> mergeCols_;
    QHash<int, QVariant> colData_;
    QString formatString_;
    int rowHeightMin_ = 0;
    int mouseRow_ = -1, mouseCol_ = -1;
    int highLight_ = HighlightAlways;
    bool focusRect_ = true;
    int scrollBars_ = ScrollBarBoth;
    bool redraw_ = true;
    int oleDropMode_ = 0;
    int sizeX_ = 0, sizeY_ = 0;
    QColor gridColor_;
    bool userMoved_ = false;
    int cursorRow_ = -1, firstMarked_ = -1, lastMarked_ = -1;
};
