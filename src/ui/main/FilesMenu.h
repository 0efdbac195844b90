#pragma once
// The rules of the file list's popup menu: whether it opens, which items it shows and which
// text each item's caption is looked up with. The window builds the real menu from the plan.

#include "engine/CompareTypes.h"

#include <QString>
#include <QStringList>

#include <array>

enum class FilesMenuOutcome { None, Stale, Menu };

struct FilesMenuPlan {
    FilesMenuOutcome outcome = FilesMenuOutcome::None;
    int viewIndex = 0;  // the ViewList row the items act on; 0 stands for every row
    std::array<bool, 2> syncVisible{};
    std::array<bool, 4> copyVisible{};
    std::array<bool, 4> deleteVisible{};
    bool separator0 = false;
    bool separator1 = false;
    // Added to each item's key number to find its caption text.
    std::array<int, 2> syncOffset{};
    std::array<int, 4> copyOffset{};
    std::array<int, 4> deleteOffset{};
    QStringList captionArgs;  // the display name on file rows, nothing otherwise
};

// The entry's name as a menu shows it: at most about 50 characters, shortened at a blank with
// the ellipsis where it can, every "&" doubled so that it is shown and not taken as a mnemonic.
QString MenuDisplayName(const QString& name);

// viewList is 1-based (index 0 holds no row); scrollValue is the first list index on the page;
// mouseRow is the grid row clicked (0 the title row) and mouseCol its column.
FilesMenuPlan PlanFilesMenu(const ResultList& viewList, int scrollValue, int mouseRow, int mouseCol,
                            bool stale);
