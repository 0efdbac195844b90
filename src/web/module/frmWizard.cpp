#include "web/module/frmWizard.h"

#include "ui_frmWizard.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "i18n/TextLookup.h"
#include "i18n/forms/FormPreparation.h"
#include "platform/SystemInfo.h"
#include "web/module/BrowserPlacement.h"
#include "web/module/PageBindingScript.h"
#include "web/module/PageBridge.h"
#include "web/module/UpdateScript.h"
#include "web/WebLog.h"
#include "web/WebMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {
// How long the window stays after an update page has been answered.
constexpr int kUnloadDelayMs = 15000;

QPointer<frmWizard>& Instance() {
    static QPointer<frmWizard> instance;
    return instance;
}

// The answer fields of an update page, read in the program's own script world.
const char* const kUpdateFieldsScript = R"JS(
(function () {
  function meta(name) {
    var all = document.getElementsByTagName('meta');
    for (var i = 0; i < all.length; ++i)
      if ((all[i].getAttribute('name') || '').toLowerCase() === name) return all[i];
    return null;
  }
  var r = meta('retcode'), h = meta('href'), m = meta('message'), c = document.getElementById('code');
  return { retcode: r ? (r.getAttribute('content') || '') : '',
           href: h ? (h.getAttribute('content') || '') : '',
           message: m ? (m.getAttribute('content') || '') : '',
           messageTitle: m ? (m.getAttribute('title') || '') : '',
           code: c ? c.innerHTML : '',
           update: !!document.getElementById('update') };
})()
)JS";
}  // namespace

frmWizard* frmWizard::Current() { return Instance().data(); }

frmWizard* frmWizard::Get() {
    if (!Instance()) Instance() = new frmWizard();
    return Instance().data();
}

frmWizard::frmWizard(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::frmWizard>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    ui->setupUi(this);
    // A profile of its own that keeps nothing on disk: help pages need no cookies or cache.
    profile_ = new QWebEngineProfile(this);
    QWebEngineScript binder;
    binder.setName(QStringLiteral("tandor-binder"));
    binder.setSourceCode(PageBindingScript());
    binder.setInjectionPoint(QWebEngineScript::DocumentReady);
    binder.setWorldId(QWebEngineScript::ApplicationWorld);
    binder.setRunsOnSubFrames(false);
    profile_->scripts()->insert(binder);

    browser_ = new QWebEngineView(this);
    browser_->setObjectName(QStringLiteral("objWebBrowser1"));
    browser_->setContextMenuPolicy(Qt::NoContextMenu);
    auto* page = new QWebEnginePage(profile_, browser_);
    browser_->setPage(page);
    ui->layMain->addWidget(browser_, 1);

    bridge_ = new PageBridge(this);
    bridge_->pageAllowed = [this] { return PageAllowed(); };
    bridge_->go = [this](const QString& target) { Go(target); };
    bridge_->keepInFront = [this](bool topmost) {
        if (!topmost) raise();
    };
    channel_ = new QWebChannel(this);
    channel_->registerObject(QStringLiteral("tandor"), bridge_);
    // The page's own scripts never see the channel: it lives in the program's script world.
    page->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);

    listPage_ = new QWebEnginePage(profile_, this);
    listPage_->setObjectName(QStringLiteral("objWebBrowser2"));

    tmrUnload_.setObjectName(QStringLiteral("tmrUnload"));
    tmrUnload_.setSingleShot(true);
    tmrUnload_.setInterval(kUnloadDelayMs);
    connect(&tmrUnload_, &QTimer::timeout, this, &QWidget::close);

    connect(page, &QWebEnginePage::loadFinished, this, &frmWizard::PageLoaded);
    connect(page, &QWebEnginePage::titleChanged, this, &frmWizard::UpdateCaption);
    connect(page, &QWebEnginePage::urlChanged, this, [this] {
        ui->cmdMove_0->setEnabled(browser_->history()->canGoBack());
        ui->cmdMove_1->setEnabled(browser_->history()->canGoForward());
    });
    connect(listPage_, &QWebEnginePage::loadFinished, this, &frmWizard::OnlineListLoaded);
    connect(ui->txtSearch, &QLineEdit::textChanged, this,
            [this](const QString& text) { ui->cmdSearch->setEnabled(!text.isEmpty()); });
    connect(ui->cmdSearch, &QPushButton::clicked, this,
            [this] { SetUrl(QStringLiteral("search.php?s=") + ui->txtSearch->text(), true); });
    connect(ui->cmdPrint, &QPushButton::clicked, this, [this] {
        auto printer = std::make_shared<QPrinter>();
        connect(browser_, &QWebEngineView::printFinished, this, [printer](bool) {}, Qt::SingleShotConnection);
        browser_->print(printer.get());
    });
    connect(ui->cmdOnOffline, &QPushButton::clicked, this, [this] { SetUrl(QStringLiteral("index.htm"), !online_); });
    connect(ui->cmdWizard, &QPushButton::clicked, this, [this] {
        Switches().WizardRequested = true;
        SetUrl(QStringLiteral("wizard.htm"), online_);
    });
    connect(ui->cmdMove_0, &QPushButton::clicked, browser_, &QWebEngineView::back);
    connect(ui->cmdMove_1, &QPushButton::clicked, browser_, &QWebEngineView::forward);
    for (int key : {int(Qt::Key_Escape), int(Qt::Key_F1), int(Qt::Key_F2), int(Qt::Key_F3), int(Qt::Key_F12)}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, key] { HelpKey(key); });
    }

    browser_->load(QUrl(QStringLiteral("about:blank")));
    ScaleForm(this, false);
    LocalizeControls(this);
    LoadNavigation();
}

frmWizard::~frmWizard() {
    Switches().WizardRequested = false;
    // The pages go before the profile they were made with.
    delete browser_;
    delete listPage_;
}

void frmWizard::closeEvent(QCloseEvent* event) {
    browser_->stop();
    listPage_->triggerAction(QWebEnginePage::Stop);
    QWidget::closeEvent(event);
}

void frmWizard::LoadNavigation() {
    localTable_ = ReadLocalNavigation(ProgramFolder() + QStringLiteral("/Tandor.nav"));
    helpFolder_ = ChooseHelpFolder(ProgramFolder(), Settings().LanguageName, TANDOR_VERSION_MAJOR);
    SetOnlineBase(FormatMsg(QStringLiteral("onlinehelp")));
}

void frmWizard::SetOnlineBase(const QString& base) {
    onlineBase_ = base;
    listPage_->triggerAction(QWebEnginePage::Stop);
    onlineTable_.clear();
    if (online_) current_ = onlineTable_;
    if (!base.isEmpty()) listPage_->load(QUrl(base + QStringLiteral("Tandor.nav")));
}

void frmWizard::OnlineListLoaded(bool ok) {
    // Without network the list stays empty and the "go" commands of online pages do nothing.
    if (!ok) return;
    listPage_->toPlainText([this](const QString& text) {
        if (text.isEmpty()) return;
        onlineTable_ = ParseOnlineNavigation(text);
        if (online_) current_ = onlineTable_;
    });
}

void frmWizard::SetUrl(const QString& page, bool online) {
    updateMode_ = false;
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    tmrUnload_.stop();
    online_ = online;
    ui->cmdOnOffline->setText(FormatMsg(online ? WebMessage::ShowInstalledHelp : WebMessage::ShowOnlineHelp));
    current_ = online ? onlineTable_ : localTable_;
    requestedPage_ = page;
    PlaceBesideProgramWindow();
    show();
    // The page has the keys: Tab walks its links and boxes, the arrow keys scroll it.
    browser_->setFocus();
    QUrl address;
    if (online) {
        address = QUrl(OnlineBase() + QStringLiteral("start.htm?url=") + page);
    } else {
        address = QUrl::fromLocalFile(helpFolder_ + QStringLiteral("start.htm"));
        address.setQuery(QStringLiteral("url=") + page);
    }
    browser_->load(address);
}

void frmWizard::SetUpdateURL(const QString& url, const QString& userAgent, bool manual) {
    updateMode_ = true;
    tmrUnload_.stop();
    // The window appears once the page has answered: an offline machine would otherwise see it
    // flash up and lose the keyboard focus at every automatic check. An automatic check never
    // takes the focus from the window the user works in.
    setAttribute(Qt::WA_ShowWithoutActivating, !manual);
    QWebEngineHttpRequest request{QUrl(url)};
    request.setHeader(QByteArrayLiteral("User-Agent"), userAgent.toUtf8());
    browser_->load(request);
}

bool frmWizard::PageAllowed() const {
    return !updateMode_ && IsProgramPage(browser_->url(), ProgramFolder(), OnlineBase());
}

void frmWizard::PageLoaded(bool ok) {
    if (updateMode_) {
        if (!ok) {
            // No answer: nothing is read, so the check stays due and is tried again later.
            qCWarning(lcWeb) << "update page could not be loaded:" << browser_->url().toString();
            listPage_->triggerAction(QWebEnginePage::Stop);
            close();
            return;
        }
        PlaceBesideProgramWindow();
        show();
        ReadUpdateFields();
        return;
    }
    if (!ok && online_ && !requestedPage_.isEmpty()) {
        // The online help does not answer: the installed pages serve.
        qCWarning(lcWeb) << "online help not reachable; showing the installed page" << requestedPage_;
        SetUrl(requestedPage_, false);
    }
}

void frmWizard::ReadUpdateFields() {
    browser_->page()->runJavaScript(QString::fromUtf8(kUpdateFieldsScript), QWebEngineScript::ApplicationWorld,
                                    [self = QPointer<frmWizard>(this)](const QVariant& result) {
                                        if (self && self->updateAnswer) self->updateAnswer(result.toMap());
                                    });
}

UpdateScriptResult frmWizard::RunUpdateCode(const QString& code, const UpdateScriptServices& services) {
    return RunUpdateScript(code, services);
}

void frmWizard::UpdateCaption() {
    const QString title = browser_->title();
    const QUrl url = browser_->url();
    if (url.isEmpty() || url.toString() == QLatin1String("about:blank") || title.isEmpty())
        setWindowTitle(FormatMsg(WebMessage::HelpWindowCaption));
    else
        setWindowTitle(title);
}

void frmWizard::PlaceBesideProgramWindow() {
    QWidget* other = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top != this && top->isWindow() && top->isVisible() && top->isEnabled()) {
            other = top;
            break;
        }
    }
    if (!other || !other->screen()) return;
    const QRect work = other->screen()->availableGeometry();
    const QRect otherFrame = other->frameGeometry();
    // This window's own frame is known only once it is shown; the program's window has the same
    // window manager's frame, so its border stands in until then.
    const QRect shownFrame = isVisible() ? frameGeometry() : QRect();
    const QRect inside = isVisible() ? geometry() : other->geometry();
    const QRect outer = isVisible() ? shownFrame : otherFrame;
    const QMargins border(inside.left() - outer.left(), inside.top() - outer.top(), outer.right() - inside.right(),
                          outer.bottom() - inside.bottom());
    setGeometry(BrowserGeometryBeside(work, otherFrame, border));
}

void frmWizard::HelpKey(int key) {
    switch (key) {
    case Qt::Key_Escape: close(); break;
    case Qt::Key_F1: SetUrl(QStringLiteral("index.htm"), online_); break;
    case Qt::Key_F2:
        Switches().WizardRequested = true;
        SetUrl(QStringLiteral("wizard.htm"), online_);
        break;
    case Qt::Key_F3: SetUrl(QStringLiteral("search.htm"), true); break;
    case Qt::Key_F12: SetUrl(QStringLiteral("index.htm"), true); break;
    default: break;
    }
}

void frmWizard::Go(const QString& target) {
    const QString path = browser_->url().path();
    const QString currentPage = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    qsizetype position = -1;
    for (qsizetype i = 0; i < current_.size(); ++i) {
        if (current_[i].second.compare(currentPage, Qt::CaseInsensitive) == 0) {
            position = i;
            break;
        }
    }
    QString page;
    if (target.startsWith(QLatin1String("prev"), Qt::CaseInsensitive)) {
        if (position >= 1) page = current_[position - 1].second;
    } else if (target.startsWith(QLatin1String("next"), Qt::CaseInsensitive)) {
        if (position + 1 < current_.size()) page = current_[position + 1].second;
    } else {
        for (const auto& entry : current_) {
            if (entry.first.compare(target, Qt::CaseInsensitive) == 0) {
                page = entry.second;
                break;
            }
        }
    }
    if (!page.isEmpty()) SetUrl(page, online_);
}
