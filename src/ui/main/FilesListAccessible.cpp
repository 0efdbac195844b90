#include "ui/main/FilesListAccessible.h"

#include "ui/main/TOFlexGrid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

QHash<const TOFlexGrid*, FilesAccessibleSource*>& Sources() {
    static QHash<const TOFlexGrid*, FilesAccessibleSource*> sources;
    return sources;
}

class FilesTable;

// A cell of the table without children or an object of its own: what a header cell and a row
// cell share.
class LeafCell : public QAccessibleInterface {
public:
    LeafCell(FilesTable* table, int col) : table_(table), col_(col) {}
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    int Col() const { return col_; }

protected:
    FilesTable* table_;
    int col_;
};

// A column title.
class HeaderCell : public LeafCell {
public:
    using LeafCell::LeafCell;
    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override { return {}; }
};

// One cell of a list row; the row need not be on the page.
class RowCell : public LeafCell, public QAccessibleTableCellInterface, public QAccessibleActionInterface {
public:
    RowCell(FilesTable* table, int index, int col) : LeafCell(table, col), index_(index) {}
    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return col_; }
    int rowIndex() const override { return index_ - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

    // QAccessibleActionInterface: the tick cell toggles its row.
    QStringList actionNames() const override {
        return col_ == 0 ? QStringList{toggleAction()} : QStringList{};
    }
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override {
        return col_ == 0 && name == toggleAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }

private:
    int index_;
};

class FilesTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    FilesTable(TOFlexGrid* grid, FilesAccessibleSource* source)
        : QAccessibleWidget(grid, QAccessible::Table), grid_(grid), source_(source) {}
    ~FilesTable() override { DropCells(); }

    TOFlexGrid* Grid() const { return grid_; }
    FilesAccessibleSource* Source() const { return isValid() && grid_ ? source_ : nullptr; }
    int Cols() const { return Source() ? Source()->AccessibleColumnCount() : 0; }
    int Rows() const { return Source() ? Source()->AccessibleRowCount() : 0; }

    // index 0 is the title row. The interfaces live in Qt's cache until the list drops them.
    QAccessibleInterface* Cell(int index, int col) const {
        if (!Source() || index < 0 || index > Rows() || col < 0 || col >= Cols()) return nullptr;
        const qint64 key = static_cast<qint64>(index) * 256 + col;
        if (const auto found = cells_.constFind(key); found != cells_.cend())
            if (QAccessibleInterface* cell = QAccessible::accessibleInterface(found.value())) return cell;
        // A long list read cell by cell must not keep every cell it ever read.
        if (cells_.size() > 4096) DropCells();
        QAccessibleInterface* cell = index == 0 ? static_cast<QAccessibleInterface*>(new HeaderCell(const_cast<FilesTable*>(this), col))
                                                : new RowCell(const_cast<FilesTable*>(this), index, col);
        cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return (Rows() + 1) * Cols(); }
    QAccessibleInterface* child(int i) const override {
        const int cols = Cols();
        return cols > 0 && i >= 0 ? Cell(i / cols, i % cols) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (auto* cell = dynamic_cast<const RowCell*>(child)) return (cell->rowIndex() + 1) * Cols() + cell->columnIndex();
        if (auto* header = dynamic_cast<const HeaderCell*>(child)) return header->Col();
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        if (!Source()) return nullptr;
        const QPoint p = grid_->mapFromGlobal(QPoint(x, y));
        const int row = grid_->RowAtPoint(p), col = grid_->ColAtPoint(p);
        if (row < 0 || col < 0) return nullptr;
        return Cell(row == 0 ? 0 : Source()->AccessibleIndexAt(row), col);
    }
    QAccessibleInterface* focusChild() const override {
        const int cursor = Source() ? Source()->AccessibleCursor() : 0;
        return cursor > 0 && grid_->hasFocus() ? Cell(cursor, 0) : nullptr;
    }

    // QAccessibleTableInterface: the whole list.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override { return Cell(row + 1, column); }
    int selectedCellCount() const override { return selectedRowCount() * Cols(); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        const int cursor = Source() ? Source()->AccessibleCursor() : 0;
        for (int c = 0; cursor > 0 && c < Cols(); ++c) cells << Cell(cursor, c);
        return cells;
    }
    QString columnDescription(int column) const override { return Source() ? Source()->AccessibleHeader(column) : QString(); }
    QString rowDescription(int) const override { return QString(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return Source() && Source()->AccessibleCursor() > 0 ? 1 : 0; }
    int columnCount() const override { return Cols(); }
    int rowCount() const override { return Rows(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        return selectedRowCount() ? QList<int>{Source()->AccessibleCursor() - 1} : QList<int>{};
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return selectedRowCount() && Source()->AccessibleCursor() == row + 1; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    void DropCells() const {
        for (QAccessible::Id id : std::as_const(cells_))
            if (QAccessible::accessibleInterface(id)) QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    QPointer<TOFlexGrid> grid_;
    FilesAccessibleSource* source_;
    mutable QHash<qint64, QAccessible::Id> cells_;
};

QRect GlobalCellRect(const FilesTable* table, int gridRow, int col) {
    if (!table->Source() || gridRow < 0) return QRect();
    const QRect r = table->Grid()->CellRect(gridRow, col);
    return r.isValid() ? QRect(table->Grid()->mapToGlobal(r.topLeft()), r.size()) : QRect();
}

bool HeaderCell::isValid() const { return table_->Source() && col_ < table_->Cols(); }
QWindow* LeafCell::window() const { return table_->window(); }
QAccessibleInterface* LeafCell::parent() const { return table_; }
QString HeaderCell::text(QAccessible::Text t) const {
    return t == QAccessible::Name && table_->Source() ? table_->Source()->AccessibleHeader(col_) : QString();
}
QRect HeaderCell::rect() const { return GlobalCellRect(table_, 0, col_); }

bool RowCell::isValid() const { return table_->Source() && index_ <= table_->Rows() && col_ < table_->Cols(); }
QAccessibleInterface* RowCell::table() const { return table_; }

QString RowCell::text(QAccessible::Text t) const {
    if (!isValid()) return QString();
    if (t == QAccessible::Name) return table_->Source()->AccessibleCell(index_, col_);
    return QString();
}

QRect RowCell::rect() const {
    return isValid() ? GlobalCellRect(table_, table_->Source()->AccessiblePageRow(index_), col_) : QRect();
}

QAccessible::State RowCell::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    FilesAccessibleSource* source = table_->Source();
    s.selectable = true;
    if (source->AccessiblePageRow(index_) < 0) {
        s.invisible = true;
        s.offscreen = true;
    }
    if (col_ == 0) {
        s.focusable = true;
        s.checkable = true;
        s.checked = source->AccessibleTicked(index_);
    }
    if (source->AccessibleCursor() == index_) {
        s.selected = true;
        s.focused = col_ == 0 && table_->Grid()->hasFocus();
    }
    return s;
}

bool RowCell::isSelected() const { return isValid() && table_->Source()->AccessibleCursor() == index_; }

QList<QAccessibleInterface*> RowCell::columnHeaderCells() const {
    QAccessibleInterface* header = table_->Cell(0, col_);
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

void RowCell::doAction(const QString& name) {
    if (col_ == 0 && name == toggleAction() && isValid()) table_->Source()->AccessibleToggle(index_);
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* grid = qobject_cast<TOFlexGrid*>(object);
    FilesAccessibleSource* source = grid ? Sources().value(grid) : nullptr;
    return source ? new FilesTable(grid, source) : nullptr;
}

FilesTable* TableOf(TOFlexGrid* grid) {
    if (!QAccessible::isActive() || !Sources().contains(grid)) return nullptr;
    return dynamic_cast<FilesTable*>(QAccessible::queryAccessibleInterface(grid));
}

}  // namespace

namespace FilesListAccessible {

void Attach(TOFlexGrid* grid, FilesAccessibleSource* source) {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    Q_UNUSED(installed);
    Sources().insert(grid, source);
    QObject::connect(grid, &QObject::destroyed, [grid] { Sources().remove(grid); });
    // An interface made for the grid before (the item view's own table) would stay cached.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(grid);
    if (existing && !dynamic_cast<FilesTable*>(existing)) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

void CursorMoved(TOFlexGrid* grid, int index) {
    FilesTable* table = TableOf(grid);
    QAccessibleInterface* cell = table ? table->Cell(index, 0) : nullptr;
    if (!cell || !grid->hasFocus()) return;
    QAccessibleEvent focus(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

void RowChanged(TOFlexGrid* grid, int index) {
    FilesTable* table = TableOf(grid);
    QAccessibleInterface* cell = table ? table->Cell(index, 0) : nullptr;
    if (!cell) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent state(cell, changed);
    QAccessible::updateAccessibility(&state);
    QAccessibleEvent name(cell, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
}

}  // namespace FilesListAccessible
