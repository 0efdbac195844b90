// Help pages drive the program's windows through the page commands: only what a window lists,
// only while it is loaded. On a real browser engine a page of the help folder clicks a listed
// button and calls a listed method; a name that is not listed, and a page from a folder beside
// the help folders, reach nothing.

#include "BrowserTesting.h"
#include "support/TempTree.h"

#include "config/ProgramSettings.h"
#include "platform/SystemInfo.h"
#include "web/BrowserModule.h"
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

// A window of the program with a listed button, a listed check box, a listed method and a
// button that is not listed (nor is any method "Secret").
class TestWindow : public QWidget {
public:
    TestWindow() {
        setObjectName(QStringLiteral("frmTest"));
        auto* layout = new QVBoxLayout(this);
        for (QWidget* control : std::initializer_list<QWidget*>{&go, &hidden, &option}) layout->addWidget(control);
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

    QPushButton go{QStringLiteral("Go")};
    QPushButton hidden{QStringLiteral("Hidden")};
    QCheckBox option{QStringLiteral("Option")};
    int goClicks = 0;
    int hiddenClicks = 0;
    QVariantList helloArgs;
};

// Which command reaches which window: (window, command) -> answered, calls of the listed method,
// clicks of the listed button, in the order the rows run.
TEST(PageProtocolTable, OnlyListedCommandsOfLoadedWindowsReachThem) {
    TestWindow window;
    window.show();
    int calls = 0, callsOfGone = 0;
    PageProtocol& protocol = PageProtocol::Instance();
    protocol.RegisterMethod(QStringLiteral("frmTest"), QStringLiteral("Count"), [&](const QVariantList&) { ++calls; });
    protocol.RegisterMethod(QStringLiteral("frmGone"), QStringLiteral("Count"), [&](const QVariantList&) { ++callsOfGone; });
    const struct {
        const char* window;
        const char* command;
        bool answered;
        int calls;
        int clicks;
    } rows[] = {
        {"frmTest", "Count", true, 1, 0},       {"FRMTEST", "count", true, 2, 0},  // letter case is no barrier
        {"frmTest", "Secret", false, 2, 0},     {"frmTest", "cmdGo_Click", true, 2, 1},
        {"frmTest", "cmdHidden_Click", false, 2, 1},  // a control that is not listed
        {"frmOther", "Count", false, 2, 1},     // another window's list
        {"frmGone", "Count", false, 2, 1},      // listed, but the window is not loaded
        {"frmTest", "chkOption_Click", false, 2, 1},  // a control listed for binding is no button
    };
    for (const auto& r : rows) {
        EXPECT_EQ(protocol.Call(QString::fromLatin1(r.window), QString::fromLatin1(r.command), {}), r.answered) << r.command;
        EXPECT_EQ(calls, r.calls) << r.window << " " << r.command;
        EXPECT_EQ(window.goClicks, r.clicks) << r.window << " " << r.command;
    }
    EXPECT_EQ(callsOfGone, 0);
    EXPECT_EQ(window.hiddenClicks, 0);
    // A button that is disabled or hidden is not clicked, whoever asks.
    for (const auto& off : {std::function<void()>([&] { window.go.setEnabled(false); }),
                            std::function<void()>([&] { window.go.setEnabled(true); window.go.hide(); })}) {
        off();
        protocol.Call(QStringLiteral("frmTest"), QStringLiteral("cmdGo_Click"), {});
        EXPECT_EQ(window.goClicks, 1);
    }
    EXPECT_EQ(protocol.Control(QStringLiteral("frmTest"), QStringLiteral("chkOption"), QString()), &window.option);
    EXPECT_EQ(protocol.Control(QStringLiteral("frmTest"), QStringLiteral("cmdHidden"), QString(), true), nullptr);
    protocol.UnregisterWindow(QStringLiteral("frmGone"));
}

class PageCommands : public ::testing::Test {
protected:
    void SetUp() override {
        tree.File(QStringLiteral("Help/English/start.htm"), kStart);
        tree.File(QStringLiteral("Help/English/page.htm"), kPage);
        tree.File(QStringLiteral("Help/English/second.htm"), kPage);
        tree.File(QStringLiteral("Tandor.nav"), "[Steps]\none=page.htm\ntwo=second.htm\n");
        SetProgramFolderForTests(tree.Path());
        Settings().LanguageName = QStringLiteral("English");
        window.show();
        wizard = static_cast<frmWizard*>(GetBrowserWindow()->Widget());
    }
    void TearDown() override {
        delete frmWizard::Current();
        SetProgramFolderForTests(QStringLiteral(TANDOR_DATA_DIR));
    }
    int BoundElements() { return RunInPage(*wizard, QStringLiteral("document.querySelectorAll('[data-bound]').length")).toInt(); }
    void Click(const char* id) {
        RunInPage(*wizard, QStringLiteral("document.getElementById('%1').click(); true").arg(QLatin1String(id)));
    }

    IsolatedEnvironment environment;
    TempTree tree;
    TestWindow window;
    WebLogCapture log;
    frmWizard* wizard = nullptr;
};

TEST_F(PageCommands, AHelpPageClicksListedControlsAndCallsListedMethodsAndNothingElse) {
    wizard->SetUrl(QStringLiteral("page.htm"), false);
    ASSERT_TRUE(WaitFor([&] { return BoundElements() == 2; })) << "the page was never bound";
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("Test page"));
    EXPECT_TRUE(RunInPage(*wizard, QStringLiteral("document.getElementById('option').checked")).toBool());
    // The page's own scripts never see the channel.
    EXPECT_EQ(RunInPage(*wizard, QStringLiteral("typeof qt")).toString(), QStringLiteral("undefined"));

    Click("go");
    EXPECT_TRUE(WaitFor([&] { return window.goClicks == 1; }));
    Click("option");  // unticks it on the page, so the program's box is unticked too
    EXPECT_TRUE(WaitFor([&] { return !window.option.isChecked(); }));
    Click("hidden");
    Click("secret");
    Click("hello");  // a listed call after the refused ones shows that they had their turn
    ASSERT_TRUE(WaitFor([&] { return !window.helloArgs.isEmpty(); }));
    EXPECT_EQ(window.helloArgs, (QVariantList{5, QStringLiteral("five")}));
    EXPECT_EQ(window.helloArgs[0].typeId(), QMetaType::Int);
    EXPECT_EQ(window.hiddenClicks, 0);
    EXPECT_TRUE(log.Contains(QStringLiteral("method \"Secret\" of \"frmTest\" is not listed")));

    Click("next");  // "go next" walks the navigation file
    EXPECT_TRUE(WaitFor([&] { return wizard->objWebBrowser1()->url().fileName() == QStringLiteral("second.htm"); }));
}

// A folder beside the help folder whose name begins with the help folder's name is no help folder.
TEST_F(PageCommands, APageBesideTheHelpFolderIsBoundToNothingAndItsClicksReachNothing) {
    wizard->objWebBrowser1()->load(QUrl::fromLocalFile(tree.File(QStringLiteral("Help-x/page.htm"), kPage)));
    ASSERT_TRUE(WaitFor([&] { return log.Contains(QStringLiteral("not one of the program's help pages")); }));
    EXPECT_EQ(BoundElements(), 0);
    Click("go");
    Click("hello");
    QElapsedTimer settle;
    settle.start();
    WaitFor([&] { return settle.elapsed() > 500; });
    EXPECT_EQ(window.goClicks, 0);
    EXPECT_TRUE(window.helloArgs.isEmpty());
}

}  // namespace
