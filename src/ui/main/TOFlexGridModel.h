#pragma once
// The cells of a TOFlexGrid: texts, colours, fonts and per-row data of every row, the fixed
// title row included. The view shows the title row in its column header and the other rows
// as the table; screen readers get the texts, and the marker characters as words.

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>
#include <QVariant>

struct TOFlexGridCell {
    QString text;
    QColor fore;        // invalid: the grid's text colour
    QColor back;        // invalid: the grid's background
    QString fontName;   // empty: the grid's font
    bool bold = false;
};

class TOFlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TOFlexGridModel(QObject* parent = nullptr);

    // The symbol-font name whose marker characters the grid draws as pictures.
    static const QString MarkerFont;
    // What a screen reader hears for a marker character; empty when it is none.
    static QString MarkerMeaning(const QString& text);
    // Replaces the English words (the main window passes localised ones).
    static void SetMarkerNames(const QString& ticked, const QString& empty, const QString& toRight,
                               const QString& toLeft, const QString& deleteMark);
    static bool IsMarker(const TOFlexGridCell& cell);

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    void SetShape(int rows, int cols);
    // Rows shown in the column header (0 or 1).
    int HeaderRows() const { return headerRows_; }
    void SetHeaderRows(int headerRows);

    const TOFlexGridCell& Cell(int row, int col) const;
    // Changes one cell; the view is told at once.
    template <typename Change>
    void Edit(int row, int col, Change change) {
        if (!Valid(row, col)) return;
        change(cells_[Index(row, col)]);
        Changed(row, col);
    }
    bool Valid(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }

    void ClearCells();
    void InsertRow(int at);
    void RemoveRow(int row);

    QVariant RowData(int row) const { return row >= 0 && row < rowData_.size() ? rowData_[row] : QVariant(); }
    void SetRowData(int row, const QVariant& value);
    Qt::Alignment ColAlignment(int col) const;
    void SetColAlignment(int col, Qt::Alignment alignment);
    // The fixed colours of the title row and of the first fixedCols columns.
    QColor fixedFore, fixedBack;
    int fixedCols = 0;

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A request to tick or untick a check marker (a screen reader, the keyboard, a delegate)
    // changes nothing here: it is handed on as CheckRequested, so that the window decides
    // through the same code as for a click, and the cell shows what the window then sets.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void CellChanged(int row, int col);
    // Row and column count the title row, as Cell() does.
    void CheckRequested(int row, int col, bool checked);

private:
    qsizetype Index(int row, int col) const { return static_cast<qsizetype>(row) * cols_ + col; }
    QVariant CellData(const TOFlexGridCell& cell, int col, int role, bool fixed) const;
    void Changed(int row, int col);

    int rows_ = 0;
    int cols_ = 0;
    int headerRows_ = 0;
    QList<TOFlexGridCell> cells_;
    QList<QVariant> rowData_;
    QList<Qt::Alignment> colAlignment_;
};
