// The door of the browser module: the program looks this function up after loading the module.
// Everything else the window needs (text lookup, settings, the help folder, the page commands)
// the module takes from the program itself, so there is one set of settings and one of each
// shared object.

#include "web/BrowserWindow.h"
#include "web/module/frmWizard.h"

namespace {
BrowserWindow* CurrentWindow() { return frmWizard::Current(); }
BrowserWindow* WindowOnDemand() { return frmWizard::Get(); }
}  // namespace

extern "C" Q_DECL_EXPORT const BrowserModuleEntry* TandorBrowserModuleEntry() {
    static const BrowserModuleEntry entry{BrowserModuleEntry::kInterfaceVersion, &CurrentWindow, &WindowOnDemand};
    return &entry;
}
