#pragma once
// Puts the texts of the active language file on a window and its controls.
//
// Every localisable element carries its key number in the dynamic property "key" (an int or its
// decimal text); 0 or no property means the element keeps its design texts. Elements:
// - the window itself (its title), every child widget (caption; a text box gets its contents),
//   every QAction (menu items, toolbar buttons) and QMenu (title);
// - tabs: a QTabWidget takes each tab's key from the "key" property of the tab's page widget,
//   a bare QTabBar from the tab's data (tabData) or, failing that, from an int list in its
//   property "tabKeys"; the tab strip itself is not localised;
// - combo boxes: each item's text is itself looked up as a key and replaced when found.
// A text or tooltip that starts with ":" names another key, followed once. The tooltip is always
// set, so a key without a tooltip in the file clears the design tooltip.

class QObject;
class QWidget;
class clsLocalizeControls;

// Localises the window and everything on it with the shared text lookup (i18n/TextLookup.h).
void LocalizeControls(QWidget* window);
void LocalizeControls(QWidget* window, const clsLocalizeControls& texts);

// One element: the window, a control, a menu item. Returns false when nothing was applied
// (no key, key 0, or an empty language).
bool LocalizeControl(QObject* control);
bool LocalizeControl(QObject* control, const clsLocalizeControls& texts);
