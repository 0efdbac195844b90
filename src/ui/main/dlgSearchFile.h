#pragma once
// The "Tree View & Search" window: the compare result as a folder tree of the left or the right
// lists, with or without files, an incremental name search over the tree's nodes, and the
// hand-over of a clicked entry to the file list of the main window.

#include "engine/FileView.h"
#include "ui/main/SearchTree.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QTreeView;
class SearchTreeModel;

namespace Ui {
class dlgSearchFile;
}

class dlgSearchFile : public QDialog {
    Q_OBJECT
public:
    // rows: the view's tree list (entries 1..n); it must outlive the window. listNames: the
    // profile's names of the left and the right lists, for the option captions.
    dlgSearchFile(const std::vector<TreeRow>& rows, const std::array<QString, 2>& listNames,
                  QWidget* owner = nullptr, int nodeLimit = SearchTree::DefaultNodeLimit);
    ~dlgSearchFile() override;

    // Shows the window modally over the main window (which it disables meanwhile); entryChosen
    // receives the view-list row of every clicked entry.
    static void ShowModal(QWidget* owner, const std::function<void(int viewIndex)>& entryChosen);

    // The beep of a search without a match, and the notice shown when the tree is full; tests
    // replace them.
    static std::function<void()>& BeepHandler();
    static std::function<void(const QString& text)>& NoticeHandler();

    QTreeView* Tree() const;
    const SearchTreeModel& Model() const { return *model_; }
    int SearchPosition() const { return searchPosition_; }

    void optLeftOrRight_Click(int side);
    void chkFiles_Click();
    void chkExpand_Click();
    void cmdSearch_Click();
    void txtSearch_Change(const QString& text);

signals:
    void EntryChosen(int viewIndex);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTree();
    int Side() const;
    void NodeClicked(const QModelIndex& index);

    std::unique_ptr<Ui::dlgSearchFile> ui;
    const std::vector<TreeRow>& rows_;
    int nodeLimit_;
    SearchTreeModel* model_;
    int searchPosition_ = 0;
};
