#pragma once
// The file list of the main window: one page of the compared list under its scrollbar, the
// counts of what a run would do, the clicks that tick rows, the row cursor that keys move
// through the whole list, and the list as a screen reader reads it.

#include "engine/RunPlan.h"
#include "ui/main/FilesListAccessible.h"
#include "ui/main/FilesMenu.h"
#include "ui/main/FilesPage.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <array>
#include <functional>

class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QScrollBar;
class RunLock;
class TOFlexGrid;
class clsLongScroll;

class MainFileList : public QObject, private FilesAccessibleSource {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 8;
    // countBoxes: what goes right, what stays, what goes left.
    MainFileList(TOFlexGrid* grid, QScrollBar* scrollBar, const std::array<QLineEdit*, 3>& countBoxes, RunLock& lock);

    TOFlexGrid* Grid() const { return grid_; }
    clsLongScroll* Scroll() const { return scroll_; }
    int PageSize() const;

    // The page at the scroll position, the titles in the profile's side names.
    void Display();
    // The view list rebuilt for a filter of toolbar 1; the page back at its top.
    void UpdateView(int filter);
    // Greys the list: it no longer shows what a compare of the profile would find.
    void MarkStale();
    bool IsStale() const;
    // No result: an empty, stale list whose counts say that nothing was compared.
    void Clear();
    // After a compare: a result is shown from its top, current; without one the list stays.
    void ShowCompareResult(bool succeeded);
    bool LastCompareSucceeded() const { return lastCompareOk_; }
    // The count boxes count what the run will do, which the ticks and the options decide.
    void ShowCounts();
    QString CountText(int box) const;
    // While a compare reads a side its count box shows moving dots (stage 1 left, 2 right).
    void SetCompareStage(int stage);

    // Mouse on the page; mouseRow is the grid row (0 the title, beyond the page: the grid's rows).
    void Click(int mouseRow, int mouseCol, Qt::MouseButton button, Qt::KeyboardModifiers keys, const QPoint& globalPos);
    void DoubleClick(int mouseRow, int mouseCol);
    // The row menu's plan for a grid cell; a plan with items goes to RowMenuRequested.
    FilesMenuPlan RowMenu(int mouseRow, int mouseCol, const QPoint& globalPos);
    void Wheel(int notches);

    // The row cursor (a ViewList index, 0: none) and the side (0 left, 1 right) that Enter
    // opens and the row's menu is about.
    int Cursor() const { return cursor_; }
    int CursorSide() const { return cursorSide_; }
    void MoveCursor(int viewIndex);
    // Ticks or unticks a row as a click on its mark does: every way of ticking ends here.
    void TickRow(int viewIndex, bool extendToSubfolders);
    // An entry chosen in the tree and search window: its page comes into view and its row
    // becomes the current, selected row.
    void ShowRow(int viewIndex);
    // Keys on the list: the cursor, Space, Enter, the Menu key and Shift+F10.
    bool Key(QKeyEvent* event);

    // Events of the grid that the window passes on.
    void FocusChanged(bool focusIn);
    void PageResized();
    bool ToolTip(QEvent* event);

    // The text the empty list shows; empty while it is hidden.
    QString StartGuideText() const;
    void UpdateStartGuide();
    // The accessible names and the words of a row read aloud, in the program's language.
    void LocaliseNames();

    // Opening a file or folder with its program; a test replaces it.
    std::function<bool(const QString& path)> openWithShell;

signals:
    void RowMenuRequested(const FilesMenuPlan& plan, const QPoint& globalPos);

private:
    // The request whose counts the boxes show: a synchronisation of the whole list.
    static RunRequest CountedRequest();
    bool Compared() const;
    void ShowCounts(const RunCounts& counts);
    void PrepareTitle();
    void SetCell(int row, int col, const FilesCell& cell);
    void ResetScroll();
    void BuildStartGuide();
    void RequestTick(int row, int col, bool checked);
    void TickCursorRows(bool extendToSubfolders);
    void OpenMenuAtCursor();
    void OpenRow(int viewIndex, size_t side);
    void ConnectGrid();
    void AnimateBusy();
    // FilesAccessibleSource: the whole list for a screen reader.
    int AccessibleRowCount() const override;
    int AccessibleColumnCount() const override;
    QString AccessibleHeader(int col) const override;
    QString AccessibleCell(int index, int col) const override;
    bool AccessibleTicked(int index) const override;
    int AccessibleCursor() const override;
    int AccessiblePageRow(int index) const override;
    int AccessibleIndexAt(int pageRow) const override;
    void AccessibleToggle(int index) override { TickRow(index, false); }

    TOFlexGrid* grid_;
    QScrollBar* scrollBar_;
    clsLongScroll* scroll_;
    std::array<QLineEdit*, 3> countBoxes_;
    RunLock& lock_;
    QLabel* startGuide_ = nullptr;
    QTimer busyTimer_;
    int busyCounter_ = 1;
    int busyStep_ = 1;
    std::array<bool, 2> busySide_{};
    bool lastCompareOk_ = false;
    int cursor_ = 0;
    int cursorSide_ = 0;
    // The other end of a range marked with Shift and the cursor keys (0: none).
    int anchor_ = 0;
    FilesRowWords rowWords_;
    bool suppressClick_ = false;
    // Last mouse-down on the list: the click handlers decide by these.
    Qt::MouseButton button_ = Qt::NoButton;
    Qt::KeyboardModifiers keys_;
};
