#include "i18n/forms/ScaleForm.h"

#include "config/ProgramSettings.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

// List boxes keep their height; a control in a container is placed relative to it and its
// inherited font grows once; a zoom change scales from the zoom in force, not on top of it.
TEST(ScaleFormTest, ControlsAndFontsFollowTheZoomAndAChangeScalesFromTheCurrentZoom) {
    IsolatedEnvironment env;
    ResetZoomFactors();
    QDialog window;
    window.setFont(QFont(QStringLiteral("Sans"), 10));
    auto add = [&window](QWidget* w, const char* name, const QRect& rect) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(rect);
        return w;
    };
    QWidget* button = add(new QPushButton(&window), "cmdOK", {40, 40, 80, 20});
    QWidget* list = add(new QListWidget(&window), "lstZoom", {10, 10, 100, 200});
    auto* group = static_cast<QGroupBox*>(add(new QGroupBox(&window), "fraOptions", {10, 10, 200, 100}));
    QWidget* label = add(new QLabel(group), "lblInside", {6, 20, 100, 20});
    const struct {
        bool zoomOnly;
        int zoom;
        QRect button, list, label;
        double font;
    } steps[] = {
        {false, 150, {60, 60, 120, 30}, {15, 15, 150, 200}, {9, 30, 150, 30}, 15.0},
        {true, 100, {40, 40, 80, 20}, {10, 10, 100, 200}, {6, 20, 100, 20}, 10.0},
    };
    for (const auto& step : steps) {
        Settings().Zoom = step.zoom;
        ScaleForm(&window, step.zoomOnly);
        EXPECT_EQ(button->geometry(), step.button) << step.zoom;
        EXPECT_EQ(list->geometry(), step.list) << step.zoom;
        EXPECT_EQ(label->geometry(), step.label) << step.zoom;
        for (QWidget* w : {button, list, label}) EXPECT_DOUBLE_EQ(w->font().pointSizeF(), step.font) << step.zoom;
    }
    Settings().Zoom = 100;
    ResetZoomFactors();
}

}  // namespace
