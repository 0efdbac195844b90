#pragma once
// The profile list of the main window: one row per folder pair with its five switches, the
// highlighted and selected pair, adding, editing and removing pairs, and a profile file dropped
// on the list.

#include <QObject>
#include <QPoint>
#include <QStringList>

class QEvent;
class QWidget;
class RunLock;
class TOFlexGrid;

class MainPairList : public QObject {
    Q_OBJECT
public:
    // dialogOwner: the window the pair editor belongs to.
    MainPairList(TOFlexGrid* grid, RunLock& lock, QWidget* dialogOwner);

    TOFlexGrid* Grid() const { return grid_; }
    // The titles (in the profile's side names) over an empty list; nothing selected.
    void PrepareTitle();
    // Folder 1 and 2 share what the switch columns leave of the width.
    void PrepareWidth();
    // A row for every pair of the profile, each formatted.
    void ShowPairs();
    void FormatRow(int row);
    void ToggleSwitch(int row, int col);
    void AddPair();
    void EditPair(int row);
    void RemovePair(int row);
    void EditSelected();
    void RemoveSelected();
    // Makes a pair the current, highlighted and selected row.
    void Select(int row, int col);
    void Click(int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers keys, bool onData,
               const QPoint& globalPos);
    void Wheel(int notches);
    // The switch columns' titles (Su, SD ...) say in words what they switch.
    bool TitleToolTip(QEvent* event);

    int CurrentRow() const { return currentRow_; }
    int HighlightedRow() const { return highlightedRow_; }
    bool RowSelected() const { return rowSelected_; }
    // A pair is selected that Edit and Remove can act on.
    bool HasSelection() const;

signals:
    // A pair or a switch changed: the compared list no longer shows the profile.
    void PairsChanged();
    void SelectionChanged();
    // A right-click: on a pair (row >= 1) its menu, elsewhere (row 0) the list's.
    void MenuRequested(int row, const QPoint& globalPos);
    void FilesDropped(const QStringList& paths, bool ctrl);

private:
    void ConnectGrid();
    void PaintRow(int row, bool highlighted);
    void ClearSelection();

    TOFlexGrid* grid_;
    RunLock& lock_;
    QWidget* dialogOwner_;
    int highlightedRow_ = 0;
    bool rowSelected_ = false;
    int currentRow_ = 0;
    bool suppressClick_ = false;
    // Last mouse-down on the list: the click handlers decide by these.
    Qt::MouseButton button_ = Qt::NoButton;
    Qt::KeyboardModifiers keys_;
};
