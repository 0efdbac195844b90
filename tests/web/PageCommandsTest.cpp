// Help pages drive the program's windows through the page commands, on a real browser engine:
// a page of the help folder clicks a listed button and calls a listed method; a name that is not
// listed, and any page from outside the help folders, reach nothing.

#include "BrowserTesting.h"
#include "support/TempTree.h"

#include "config/ProgramSettings.h"
#include "platform/SystemInfo.h"
#include "web/PageProtocol.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

const QByteArray kStart =
    "<html><script>location.replace(/url=([^&]*)/.exec(location.search)[1]);</script></html>";
const QByteArray kPage =
    "<html><head><meta name=\"version\" content=\"2\"><meta name=\"baseform\" content=\"frmTest\">"
    "<title>Test page</title></head><body>"
    "<input type=\"button\" name=\"cmdGo\" id=\"go\" value=\"Go\">"
    "<input type=\"checkbox\" name=\"chkOption\" id=\"option\">"
    "<input type=\"button\" command=\"Hello 5 five\" id=\"hello\" value=\"Hello\">"
    "<input type=\"button\" command=\"Secret\" id=\"secret\" value=\"Secret\">"
    "<input type=\"button\" name=\"cmdHidden\" id=\"hidden\" value=\"Not listed\">"
    "<input type=\"button\" command=\"go next\" id=\"next\" value=\"Next\">"
    "</body></html>";

// A window of the program with a listed button, a listed check box, a listed method, and a
// button and a method that are not listed.
class TestWindow : public QWidget {
public:
    TestWindow() {
        setObjectName(QStringLiteral("frmTest"));
        auto* layout = new QVBoxLayout(this);
        for (QPushButton* button : {&go, &hidden}) layout->addWidget(button);
        layout->addWidget(&option);
        go.setObjectName(QStringLiteral("cmdGo"));
        hidden.setObjectName(QStringLiteral("cmdHidden"));
        option.setObjectName(QStringLiteral("chkOption"));
        option.setChecked(true);
        QObject::connect(&go, &QPushButton::clicked, [this] { ++goClicks; });
        QObject::connect(&hidden, &QPushButton::clicked, [this] { ++hiddenClicks; });
        PageProtocol& protocol = PageProtocol::Instance();
        protocol.RegisterButton(objectName(), QStringLiteral("cmdGo"));
        protocol.RegisterControl(objectName(), QStringLiteral("chkOption"));
        protocol.RegisterMethod(objectName(), QStringLiteral("Hello"), [this](const QVariantList& args) { helloArgs = args; });
    }
    ~TestWindow() override { PageProtocol::Instance().UnregisterWindow(objectName()); }
    void Secret() { secretCalled = true; }  // a method of the window, never listed

    QPushButton go{QStringLiteral("Go")};
    QPushButton hidden{QStringLiteral("Hidden")};
    QCheckBox option{QStringLiteral("Option")};
    int goClicks = 0;
    int hiddenClicks = 0;
    QVariantList helloArgs;
    bool secretCalled = false;
};

class PageCommands : public ::testing::Test {
protected:
    void SetUp() override {
        tree.File(QStringLiteral("Help/English/start.htm"), kStart);
        tree.File(QStringLiteral("Help/English/page.htm"), kPage);
        tree.File(QStringLiteral("Help/English/second.htm"), kPage);
        tree.File(QStringLiteral("Other/page.htm"), kPage);
        tree.File(QStringLiteral("Tandor.nav"), "[Steps]\none=page.htm\ntwo=second.htm\n");
        SetProgramFolderForTests(tree.Path());
        Settings().LanguageName = QStringLiteral("English");
        frmWizard::SetOnlineBaseForTests(QString());
        window.show();
    }
    void TearDown() override {
        if (frmWizard::Current()) delete frmWizard::Current();
        SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
    }
    frmWizard& OpenAndBind(const QString& page) {
        frmWizard* wizard = frmWizard::Get();
        wizard->SetUrl(page, false);
        EXPECT_TRUE(WaitFor([&] { return RunInPage(*wizard, QStringLiteral("document.querySelectorAll('[data-bound]').length")).toInt() == 2; }))
            << "the page was never bound";
        return *wizard;
    }
    void Click(frmWizard& wizard, const char* id) {
        RunInPage(wizard, QStringLiteral("document.getElementById('%1').click(); true").arg(QLatin1String(id)));
    }

    IsolatedEnvironment environment;
    TempTree tree;
    TestWindow window;
    WebLogCapture log;
};

TEST_F(PageCommands, AHelpPageShowsTheControlsAndClicksAListedButtonAndCallsAListedMethod) {
    frmWizard& wizard = OpenAndBind(QStringLiteral("page.htm"));
    EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Test page"));
    EXPECT_TRUE(RunInPage(wizard, QStringLiteral("document.getElementById('option').checked")).toBool());

    Click(wizard, "go");
    EXPECT_TRUE(WaitFor([&] { return window.goClicks == 1; }));

    Click(wizard, "option");  // unticks it on the page, so the program's box is unticked too
    EXPECT_TRUE(WaitFor([&] { return !window.option.isChecked(); }));

    Click(wizard, "hello");
    ASSERT_TRUE(WaitFor([&] { return !window.helloArgs.isEmpty(); }));
    EXPECT_EQ(window.helloArgs, (QVariantList{5, QStringLiteral("five")}));
    EXPECT_EQ(window.helloArgs[0].typeId(), QMetaType::Int);

    Click(wizard, "next");  // "go next" walks the navigation file
    EXPECT_TRUE(WaitFor([&] { return wizard.objWebBrowser1()->url().fileName() == QStringLiteral("second.htm"); }));
}

TEST_F(PageCommands, AMethodOrControlThatIsNotListedIsRefusedAndLogged) {
    frmWizard& wizard = OpenAndBind(QStringLiteral("page.htm"));
    EXPECT_FALSE(RunInPage(wizard, QStringLiteral("document.getElementById('hidden').hasAttribute('data-bound')")).toBool());
    Click(wizard, "secret");
    Click(wizard, "hello");  // a listed call after it shows that the refused one had its turn
    ASSERT_TRUE(WaitFor([&] { return !window.helloArgs.isEmpty(); }));
    EXPECT_FALSE(window.secretCalled);
    EXPECT_TRUE(log.Contains(QStringLiteral("method \"Secret\" of \"frmTest\" is not listed")));
    EXPECT_EQ(window.hiddenClicks, 0);
}

TEST_F(PageCommands, APageFromOutsideTheHelpFoldersGetsNoProtocolAndItsOwnScriptsNoChannel) {
    frmWizard* wizard = frmWizard::Get();
    wizard->SetUrl(QStringLiteral("page.htm"), false);
    ASSERT_TRUE(WaitFor([&] { return RunInPage(*wizard, QStringLiteral("document.querySelectorAll('[data-bound]').length")).toInt() == 2; }));
    // The page's own scripts never see the channel, even on a help page.
    EXPECT_EQ(RunInPage(*wizard, QStringLiteral("typeof qt")).toString(), QStringLiteral("undefined"));

    wizard->objWebBrowser1()->load(QUrl::fromLocalFile(tree.Path(QStringLiteral("Other/page.htm"))));
    ASSERT_TRUE(WaitFor([&] { return wizard->objWebBrowser1()->url().path().contains(QStringLiteral("/Other/")) &&
                                     RunInPage(*wizard, QStringLiteral("document.readyState")).toString() == QStringLiteral("complete"); }));
    ASSERT_TRUE(WaitFor([&] { return log.Contains(QStringLiteral("not one of the program's help pages")); }));
    EXPECT_EQ(RunInPage(*wizard, QStringLiteral("document.querySelectorAll('[data-bound]').length")).toInt(), 0);
    Click(*wizard, "go");
    Click(*wizard, "hello");
    QElapsedTimer settle;
    settle.start();
    WaitFor([&] { return settle.elapsed() > 500; });
    EXPECT_EQ(window.goClicks, 0);
    EXPECT_TRUE(window.helloArgs.isEmpty());
}

}  // namespace
