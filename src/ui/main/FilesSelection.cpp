#include "ui/main/FilesSelection.h"

bool ToggleFilesRow(ResultList& viewList, size_t index, bool extendToSubfolders) {
    if (index < 1 || index >= viewList.size()) return false;
    CompareRow& clicked = viewList[index];
    clicked.Selected = !clicked.Selected;
    if (!clicked.IsFolder()) return true;
    const bool ticked = clicked.Selected;
    // A subfolder's path continues the clicked folder's path after a '/': "/a/bc" is not
    // inside "/a/b".
    const QString inside = clicked.Folder(0).endsWith(QLatin1Char('/')) ? clicked.Folder(0)
                                                                        : clicked.Folder(0) + QLatin1Char('/');
    for (size_t i = index + 1; i < viewList.size(); ++i) {
        CompareRow& row = viewList[i];
        if (row.IsFolder()) {
            if (!extendToSubfolders) break;
            if (!row.Folder(0).startsWith(inside, Qt::CaseInsensitive)) break;
        }
        if (!ticked) row.Selected = false;
        else if (row.SyncAction != SyncAction::NoAction || row.DeleteMatch) row.Selected = true;
    }
    return true;
}
