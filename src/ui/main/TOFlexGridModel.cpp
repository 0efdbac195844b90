#include "ui/main/TOFlexGridModel.h"

#include <QFont>

namespace {
struct MarkerNames {
    QString ticked = QStringLiteral("ticked");
    QString empty = QStringLiteral("not ticked");
    QString toRight = QStringLiteral("copy to the right");
    QString toLeft = QStringLiteral("copy to the left");
    QString deleteMark = QStringLiteral("delete");
};
MarkerNames& Names() {
    static MarkerNames names;
    return names;
}
const TOFlexGridCell& EmptyCell() {
    static const TOFlexGridCell cell;
    return cell;
}
}  // namespace

const QString TOFlexGridModel::MarkerFont = QStringLiteral("Wingdings");

TOFlexGridModel::TOFlexGridModel(QObject* parent) : QAbstractTableModel(parent) {}

QString TOFlexGridModel::MarkerMeaning(const QString& text) {
    if (text == QString(QChar(0x00FE))) return Names().ticked;
    if (text == QStringLiteral("o")) return Names().empty;
    if (text == QString(QChar(0x00E8))) return Names().toRight;
    if (text == QString(QChar(0x00E7))) return Names().toLeft;
    if (text == QStringLiteral("M")) return Names().deleteMark;
    return QString();
}

void TOFlexGridModel::SetMarkerNames(const QString& ticked, const QString& empty, const QString& toRight,
                                     const QString& toLeft, const QString& deleteMark) {
    Names() = MarkerNames{ticked, empty, toRight, toLeft, deleteMark};
}

bool TOFlexGridModel::IsMarker(const TOFlexGridCell& cell) {
    return cell.fontName.compare(MarkerFont, Qt::CaseInsensitive) == 0 && !MarkerMeaning(cell.text).isEmpty();
}

void TOFlexGridModel::SetShape(int rows, int cols) {
    rows = std::max(0, rows);
    cols = std::max(0, cols);
    if (rows == rows_ && cols == cols_) return;
    beginResetModel();
    QList<TOFlexGridCell> cells(static_cast<qsizetype>(rows) * cols);
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c) cells[static_cast<qsizetype>(r) * cols + c] = cells_[Index(r, c)];
    cells_ = std::move(cells);
    rows_ = rows;
    cols_ = cols;
    rowData_.resize(rows);
    colAlignment_.resize(cols, Qt::AlignLeft | Qt::AlignVCenter);
    endResetModel();
}

void TOFlexGridModel::SetHeaderRows(int headerRows) {
    if (headerRows == headerRows_) return;
    beginResetModel();
    headerRows_ = headerRows;
    endResetModel();
}

const TOFlexGridCell& TOFlexGridModel::Cell(int row, int col) const {
    return Valid(row, col) ? cells_[Index(row, col)] : EmptyCell();
}

void TOFlexGridModel::Changed(int row, int col) {
    if (row < headerRows_) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex i = index(row - headerRows_, col);
        emit dataChanged(i, i);
    }
    emit CellChanged(row, col);
}

void TOFlexGridModel::ClearCells() {
    beginResetModel();
    for (TOFlexGridCell& cell : cells_) cell = TOFlexGridCell{};
    endResetModel();
}

void TOFlexGridModel::InsertRow(int at) {
    at = std::clamp(at, 0, rows_);
    const bool visible = at >= headerRows_;
    if (visible) beginInsertRows(QModelIndex(), at - headerRows_, at - headerRows_);
    else beginResetModel();
    cells_.insert(Index(at, 0), cols_, TOFlexGridCell{});
    rowData_.insert(at, QVariant());
    ++rows_;
    if (visible) endInsertRows();
    else endResetModel();
}

void TOFlexGridModel::RemoveRow(int row) {
    if (row < 0 || row >= rows_) return;
    const bool visible = row >= headerRows_;
    if (visible) beginRemoveRows(QModelIndex(), row - headerRows_, row - headerRows_);
    else beginResetModel();
    cells_.remove(Index(row, 0), cols_);
    rowData_.remove(row);
    --rows_;
    if (visible) endRemoveRows();
    else endResetModel();
}

void TOFlexGridModel::SetRowData(int row, const QVariant& value) {
    if (row >= 0 && row < rowData_.size()) rowData_[row] = value;
}

Qt::Alignment TOFlexGridModel::ColAlignment(int col) const {
    return col >= 0 && col < colAlignment_.size() ? colAlignment_[col] : (Qt::AlignLeft | Qt::AlignVCenter);
}

void TOFlexGridModel::SetColAlignment(int col, Qt::Alignment alignment) {
    if (col < 0 || col >= colAlignment_.size()) return;
    colAlignment_[col] = alignment;
    if (rowCount() > 0) emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::TextAlignmentRole});
    emit headerDataChanged(Qt::Horizontal, col, col);
}

int TOFlexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, rows_ - headerRows_);
}

int TOFlexGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant TOFlexGridModel::CellData(const TOFlexGridCell& cell, int col, int role, bool fixed) const {
    const bool marker = IsMarker(cell);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        // The header paints its marker itself; a table cell keeps the character for the delegate.
        return fixed && marker ? QString() : cell.text;
    case Qt::AccessibleTextRole:
        return marker ? MarkerMeaning(cell.text) : cell.text;
    case Qt::CheckStateRole:
        if (marker && cell.text == QStringLiteral("o")) return Qt::Unchecked;
        if (marker && cell.text == QString(QChar(0x00FE))) return Qt::Checked;
        return QVariant();
    case Qt::ForegroundRole:
        if (cell.fore.isValid()) return cell.fore;
        if (fixed && fixedFore.isValid()) return fixedFore;
        return QVariant();
    case Qt::BackgroundRole:
        if (cell.back.isValid()) return cell.back;
        if (fixed && fixedBack.isValid()) return fixedBack;
        return QVariant();
    case Qt::FontRole:
        if (cell.bold || (!cell.fontName.isEmpty() && !marker)) {
            QFont font;
            if (!cell.fontName.isEmpty() && !marker) font.setFamily(cell.fontName);
            font.setBold(cell.bold);
            return font;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ColAlignment(col));
    default:
        return QVariant();
    }
}

QVariant TOFlexGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    const int row = index.row() + headerRows_;
    const bool fixed = index.column() < fixedCols;
    QVariant value = CellData(Cell(row, index.column()), index.column(), role, fixed);
    // Only the header paints a fixed cell's marker itself; a table cell keeps its character.
    if (fixed && (role == Qt::DisplayRole || role == Qt::EditRole)) return Cell(row, index.column()).text;
    return value;
}

QVariant TOFlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || headerRows_ == 0 || section < 0 || section >= cols_) return QVariant();
    return CellData(Cell(0, section), section, role, true);
}

Qt::ItemFlags TOFlexGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (data(index, Qt::CheckStateRole).isValid()) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool TOFlexGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || !data(index, Qt::CheckStateRole).isValid()) return false;
    const bool checked = value.toInt() == Qt::Checked;
    emit CheckRequested(index.row() + headerRows_, index.column(), checked);
    return true;
}
