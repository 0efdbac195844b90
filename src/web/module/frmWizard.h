#pragma once
// The browser window: help, assistant and search pages from the help folder beside the program
// or from the online help, the update page of the update check, and the page commands through
// which the program's own pages operate its windows. One instance at most; SetUrl reuses it.
// It lives in the browser module; the program reaches it through BrowserWindow.

#include "web/BrowserWindow.h"
#include "web/HelpContent.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class PageBridge;
class QWebChannel;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace Ui {
class frmWizard;
}

class frmWizard : public QWidget, public BrowserWindow {
    Q_OBJECT
public:
    // The open browser window, or null.
    static frmWizard* Current();
    // The open window, created and loaded on first use.
    static frmWizard* Get();

    QWidget* Widget() override { return this; }
    void SetUrl(const QString& page, bool online) override;
    void SetUpdateURL(const QString& url, const QString& userAgent, bool manual) override;
    void SetUpdateAnswerHandler(std::function<void(const QVariantMap& fields)> handler) override {
        updateAnswer = std::move(handler);
    }
    QTimer& tmrUnload() override { return tmrUnload_; }
    UpdateScriptResult RunUpdateCode(const QString& code, const UpdateScriptServices& services) override;
    std::function<void(const QVariantMap& fields)> updateAnswer;

    // Where the online help is: the language's "onlinehelp" address from the start, another one
    // (or none: no online help) when handed in. Fetches that help's navigation list.
    void SetOnlineBase(const QString& base);
    const QString& OnlineBase() const { return onlineBase_; }

    QWebEngineView* objWebBrowser1() const { return browser_; }
    const QString& HelpFolder() const { return helpFolder_; }
    bool Online() const { return online_; }
    bool UpdateMode() const { return updateMode_; }
    const NavigationTable& CurrentTable() const { return current_; }
    // Whether the page on show may use the page commands.
    bool PageAllowed() const;
    // The "go" command of a page: "prev...", "next..." or an entry name of the current table.
    void Go(const QString& target);

    ~frmWizard() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit frmWizard(QWidget* parent = nullptr);
    void LoadNavigation();
    void OnlineListLoaded(bool ok);
    void PageLoaded(bool ok);
    void ReadUpdateFields();
    void PlaceBesideProgramWindow();
    void UpdateCaption();
    void HelpKey(int key);

    std::unique_ptr<Ui::frmWizard> ui;
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* browser_ = nullptr;   // objWebBrowser1
    QWebEnginePage* listPage_ = nullptr;  // objWebBrowser2
    QWebChannel* channel_ = nullptr;
    PageBridge* bridge_ = nullptr;
    QTimer tmrUnload_;
    QString helpFolder_;
    QString onlineBase_;
    NavigationTable localTable_;
    NavigationTable onlineTable_;
    NavigationTable current_;
    QString requestedPage_;
    bool online_ = false;
    bool updateMode_ = false;
};
