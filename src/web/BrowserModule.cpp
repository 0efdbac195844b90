#include "web/BrowserModule.h"

#include "platform/ProgramLayout.h"
#include "web/WebLog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace {
struct LoaderState {
    std::unique_ptr<BrowserSource> source;
    const BrowserModuleEntry* entry = nullptr;
};

LoaderState& State() {
    static LoaderState state;
    return state;
}

// Loads one candidate file; on failure says why in reason.
const BrowserModuleEntry* LoadModule(const QString& path, QString& reason) {
    // The library stays loaded for the rest of the run: the window and the engine's threads
    // must never lose their code under them.
    auto* library = new QLibrary(path);
    // Every symbol is resolved now, so that a module that does not fit this program fails to
    // load here instead of ending the program at its first call.
    library->setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
    if (!library->load()) {
        reason = library->errorString();
        delete library;
        return nullptr;
    }
    using EntryFunction = const BrowserModuleEntry* (*)();
    auto function = reinterpret_cast<EntryFunction>(library->resolve("TandorBrowserModuleEntry"));
    const BrowserModuleEntry* entry = function ? function() : nullptr;
    if (!entry || entry->interfaceVersion != BrowserModuleEntry::kInterfaceVersion || !entry->current ||
        !entry->get) {
        // The library stays loaded (its code may already run static initialisers); it is not used.
        reason = QStringLiteral("%1 is not a browser module of this version of the program").arg(path);
        return nullptr;
    }
    return entry;
}
}  // namespace

QString BrowserModuleFileName() { return QStringLiteral("tandor_browser.so"); }

QStringList BrowserModuleCandidates() {
    QStringList candidates;
    for (const QString& folder : BrowserModuleFoldersFor(QCoreApplication::applicationDirPath()))
        candidates << folder + QLatin1Char('/') + BrowserModuleFileName();
    return candidates;
}

BrowserWindow* CurrentBrowserWindow() {
    const BrowserModuleEntry* entry = State().entry;
    return entry ? entry->current() : nullptr;
}

BrowserModuleFiles::BrowserModuleFiles(QStringList candidates) : candidates_(std::move(candidates)) {}

const BrowserModuleEntry* BrowserModuleFiles::Open(QString& reason) {
    QStringList reasons;
    for (const QString& path : candidates_) {
        if (!QFileInfo::exists(path)) {
            reasons << QStringLiteral("%1 does not exist").arg(path);
            continue;
        }
        QString why;
        if (const BrowserModuleEntry* entry = LoadModule(path, why)) return entry;
        reasons << why;
    }
    reason = reasons.join(QStringLiteral("; "));
    return nullptr;
}

BrowserWindow* GetBrowserWindow(QString* reason) {
    LoaderState& state = State();
    if (!state.entry) {
        if (!state.source) state.source = std::make_unique<BrowserModuleFiles>();
        QString why;
        state.entry = state.source->Open(why);
        if (!state.entry) {
            qCWarning(lcWeb) << "the browser module cannot be loaded:" << why;
            if (reason) *reason = why;
            return nullptr;
        }
    }
    return state.entry->get();
}

void UseBrowserSource(std::unique_ptr<BrowserSource> source) {
    State().source = std::move(source);
    State().entry = nullptr;
}
