#include "ui/main/FilesMenu.h"

QString MenuDisplayName(const QString& name) {
    QString shown = name;
    if (shown.size() > 50) {
        // The last blank among characters 29 to 48 (counted from 1) ends the shown part.
        qsizetype cut = -1;
        for (qsizetype i = 47; i >= 28; --i) {
            if (shown.at(i) == QLatin1Char(' ')) {
                cut = i + 1;
                break;
            }
        }
        shown = shown.left(cut > 0 ? cut : 50) + QChar(0x2026);
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return shown;
}

FilesMenuPlan PlanFilesMenu(const ResultList& viewList, int scrollValue, int mouseRow, int mouseCol,
                            bool stale) {
    FilesMenuPlan plan;
    const int count = viewList.empty() ? 0 : static_cast<int>(viewList.size()) - 1;
    if (mouseCol == 0 || mouseCol == 4 || count == 0 || mouseRow < 0) return plan;
    const int index = mouseRow == 0 ? 0 : scrollValue + mouseRow - 1;
    // A row below the end of the list has nothing to act on, wherever the page stands.
    if (mouseRow > 0 && (index < 1 || index > count)) return plan;
    plan.viewIndex = index;
    if (stale) {
        plan.outcome = FilesMenuOutcome::Stale;
        return plan;
    }
    const bool left = mouseCol < 4;
    const CompareRow* row = index > 0 ? &viewList[static_cast<size_t>(index)] : nullptr;
    const bool hasLeft = row && row->Exists(0);
    const bool hasRight = row && row->Exists(1);
    if (mouseRow > 1 && ((left && !hasLeft) || (!left && !hasRight))) return plan;

    const bool title = row == nullptr;
    const bool folder = row && row->IsFolder();
    plan.syncVisible = {title || folder, folder};
    plan.separator0 = plan.syncVisible[0];

    // Both names empty stands for the title row and for a pair's root folder row.
    const bool leftItems = left && (hasLeft || !hasRight);
    const bool rightItems = !left && (hasRight || !hasLeft);
    plan.copyVisible[0] = plan.deleteVisible[0] = leftItems;
    plan.copyVisible[1] = plan.deleteVisible[1] = rightItems;
    // The items without subfolders only mean something on a folder row.
    plan.copyVisible[2] = plan.deleteVisible[2] = folder && leftItems;
    plan.copyVisible[3] = plan.deleteVisible[3] = folder && rightItems;
    plan.separator1 = leftItems || rightItems;

    if (folder) {
        plan.syncOffset = {1, 2};
        plan.copyOffset = {1, 1, 1, 1};
        plan.deleteOffset = {1, 1, 1, 1};
    } else if (!title) {
        plan.copyOffset = {2, 2, 0, 0};
        plan.deleteOffset = {2, 2, 0, 0};
        plan.captionArgs << MenuDisplayName(hasLeft ? row->Name(0) : row->Name(1));
    }
    plan.outcome = FilesMenuOutcome::Menu;
    return plan;
}
