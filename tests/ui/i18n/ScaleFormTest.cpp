// Window scaling on small windows built in code: the factors, the frame rule, the rules per
// control type, fonts, layouts and repeated zoom changes.

#include "i18n/forms/ScaleForm.h"

#include "config/ProgramSettings.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

class ScaleFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetZoomFactors();
        window_.setFont(QFont(QStringLiteral("Sans"), 10));
        window_.resize(400, 300);
    }
    void TearDown() override { ResetZoomFactors(); }

    template <typename W>
    W* Add(const char* name, const QRect& rect, QWidget* parent = nullptr)
    {
        auto* w = new W(parent ? parent : &window_);
        w->setObjectName(QLatin1String(name));
        w->setGeometry(rect);
        return w;
    }

    IsolatedEnvironment env_;
    QDialog window_;
};

// One scaling of a fresh window: the factors follow the screen's twips per pixel (12 is 1.0),
// each direction its own, and the zoom; fonts follow the vertical factor; the main window keeps
// its size while its controls scale.
TEST_F(ScaleFormTest, ControlsFontsAndTheWindowFollowTheFactors)
{
    const struct {
        const char* what;
        bool mainWindow;
        int zoom;
        double dpiX, dpiY;
        QRect button;
        double font;
        QSize window;
    } cases[] = {
        {"12 twips per pixel", false, 100, 120.0, 120.0, {100, 100, 100, 20}, 10.0, {400, 300}},
        {"15 twips per pixel", false, 100, 96.0, 96.0, {125, 125, 125, 25}, 12.5, {500, 375}},
        {"each direction", false, 100, 96.0, 120.0, {125, 100, 125, 20}, 10.0, {500, 300}},
        {"main window", true, 200, 0, 0, {200, 200, 200, 40}, 20.0, {400, 300}},
    };
    for (const auto& c : cases) {
        ResetZoomFactors();
        QDialog window;
        window.setFont(QFont(QStringLiteral("Sans"), 10));
        window.resize(400, 300);
        if (c.mainWindow)
            window.setObjectName(QStringLiteral("frmMain"));
        auto* button = new QPushButton(&window);
        button->setObjectName(QStringLiteral("cmdOK"));
        button->setGeometry(100, 100, 100, 20);
        ScaleForm(&window, c.mainWindow, c.zoom, c.dpiX, c.dpiY);
        EXPECT_EQ(button->geometry(), c.button) << c.what;
        EXPECT_DOUBLE_EQ(button->font().pointSizeF(), c.font) << c.what;
        EXPECT_EQ(window.size(), c.window) << c.what;
    }
}

// Each kind of control by its rule at zoom 150: list boxes keep their height and scroll bars
// their thickness; a control inside a container is placed relative to it and its inherited font
// grows once; Qt's unnamed parts are left to their control; a layout places its controls, which
// get only their font.
TEST_F(ScaleFormTest, EachKindOfControlFollowsItsRule)
{
    auto* list = Add<QListWidget>("lstZoom", QRect(10, 10, 100, 200));
    auto* vertical = Add<QScrollBar>("vsbFiles", QRect(300, 10, 16, 200));
    vertical->setOrientation(Qt::Vertical);
    auto* horizontal = Add<QScrollBar>("hsbFiles", QRect(10, 250, 200, 16));
    horizontal->setOrientation(Qt::Horizontal);
    auto* group = Add<QGroupBox>("fraOptions", QRect(10, 10, 200, 100));
    auto* label = Add<QLabel>("lblInside", QRect(6, 20, 100, 20), group);
    auto* unnamed = new QLabel(&window_);
    unnamed->setGeometry(1, 2, 30, 40);
    auto* panel = Add<QWidget>("picPanel", QRect(0, 0, 100, 100));
    auto* inLayout = new QPushButton(QStringLiteral("In layout"));
    inLayout->setObjectName(QStringLiteral("cmdInLayout"));
    (new QVBoxLayout(panel))->addWidget(inLayout);
    panel->layout()->activate();
    const QRect layoutBefore = inLayout->geometry();
    ScaleForm(&window_, true, 150, 0, 0);
    const std::pair<QWidget*, QRect> placed[] = {{list, {15, 15, 150, 200}},      {vertical, {450, 15, 16, 300}},
                                                 {horizontal, {15, 375, 300, 16}}, {label, {9, 30, 150, 30}},
                                                 {unnamed, {1, 2, 30, 40}}};
    for (const auto& [widget, rect] : placed) EXPECT_EQ(widget->geometry(), rect) << widget->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{list, group, label, inLayout})
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 15.0) << w->objectName().toStdString();
    EXPECT_NE(inLayout->geometry(), QRect(layoutBefore.topLeft() * 3 / 2, layoutBefore.size() * 3 / 2));
}

// Zoom changes scale from the current zoom, not on top of it, and keep the screen's factor.
TEST_F(ScaleFormTest, ZoomChangesScaleFromTheCurrentZoom)
{
    auto* button = Add<QPushButton>("cmdOK", QRect(40, 40, 80, 20));
    const struct {
        bool zoomOnly;
        int zoom;
        double dpi;
        QRect expected;
    } steps[] = {
        {false, 100, 120.0, {40, 40, 80, 20}}, {true, 120, 0, {48, 48, 96, 24}},  {true, 150, 0, {60, 60, 120, 30}},
        {true, 100, 0, {40, 40, 80, 20}},      {false, 100, 96.0, {50, 50, 100, 25}}, {true, 120, 0, {60, 60, 120, 30}},
    };
    for (const auto& step : steps) {
        ScaleForm(&window_, step.zoomOnly, step.zoom, step.dpi, step.dpi);
        EXPECT_EQ(button->geometry(), step.expected) << step.zoom << " " << step.dpi;
    }
    ScaleForm(&window_, true, 100, 0, 0);
    EXPECT_NEAR(button->font().pointSizeF(), 12.5, 1e-9);
}

TEST_F(ScaleFormTest, AWindowTakesTheZoomSettingAloneSinceQtFollowsTheResolutionItself)
{
    // Fonts in points already follow the screen's resolution: scaling by it again would draw
    // every window a quarter too large on a usual screen.
    Settings().Zoom = 100;
    auto* button = Add<QPushButton>("cmdOK", QRect(12, 12, 120, 24));
    ScaleForm(&window_, false);
    EXPECT_FLOAT_EQ(ZoomFactorY(), 1.0F);
    EXPECT_EQ(button->geometry(), QRect(12, 12, 120, 24));
    Settings().Zoom = 150;
    ScaleForm(&window_, false);
    EXPECT_FLOAT_EQ(ZoomFactorY(), 1.5F);
    EXPECT_EQ(button->height(), 36);
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 15.0);
    Settings().Zoom = 100;
}

}  // namespace
