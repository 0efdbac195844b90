#include "i18n/forms/ScaleForm.h"

#include "config/ProgramSettings.h"

#include <QFont>
#include <QFrame>
#include <QApplication>
#include <QHash>
#include <QLayout>
#include <QListView>
#include <QScrollBar>
#include <QWidget>

#include <cmath>

namespace {

float g_zoomFactorX = 1.0F;
float g_zoomFactorY = 1.0F;

// What a window has been scaled by so far, so that a later zoom change scales from there
// instead of multiplying the new zoom onto the old one.
const char* const kDpiFactorX = "scaleDpiFactorX";
const char* const kDpiFactorY = "scaleDpiFactorY";
const char* const kAppliedX = "scaleAppliedX";
const char* const kAppliedY = "scaleAppliedY";

constexpr double kDesignTwipsPerPixel = 12.0;

double PropertyOr(const QWidget* w, const char* name, double fallback)
{
    const QVariant v = w->property(name);
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && d > 0 ? d : fallback;
}

bool IsOne(double factor)
{
    return std::fabs(factor - 1.0) < 1e-9;
}

int Scaled(int value, double factor)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * factor));
}

bool LayoutHolds(const QLayout* layout, const QWidget* w)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (!item)
            continue;
        if (item->widget() == w)
            return true;
        if (item->layout() && LayoutHolds(item->layout(), w))
            return true;
    }
    return false;
}

// A control that a layout places gets its geometry from the layout; moving it would be undone
// at the next layout pass and would only make the window flicker.
bool PlacedByLayout(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    return parent && parent->layout() && LayoutHolds(parent->layout(), w);
}

// The controls of a window as its design made them: named widgets inside it. Unnamed widgets
// and Qt's own parts ("qt_" names: viewports, tab bars, spin box editors) belong to a control
// and follow it.
QList<QWidget*> ControlsOf(QWidget* window)
{
    QList<QWidget*> controls;
    const auto all = window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (w->isWindow())
            continue;
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        controls << w;
    }
    return controls;
}

QFont ScaledFont(QFont font, double factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, Scaled(font.pixelSize(), factor)));
    return font;
}

void ScaleControl(QWidget* w, double fx, double fy, const QFont& originalFont)
{
    const bool layoutPlaced = PlacedByLayout(w);
    const QRect r = w->geometry();
    const int left = Scaled(r.x(), fx);
    const int top = Scaled(r.y(), fy);

    if (auto* bar = qobject_cast<QScrollBar*>(w)) {
        if (layoutPlaced)
            return;
        if (bar->orientation() == Qt::Vertical)
            w->setGeometry(left, top, r.width(), Scaled(r.height(), fy));
        else
            w->setGeometry(left, top, Scaled(r.width(), fx), r.height());
        return;
    }
    if (auto* frame = qobject_cast<QFrame*>(w)) {
        const QFrame::Shape shape = frame->frameShape();
        if (shape == QFrame::HLine || shape == QFrame::VLine) {
            if (!layoutPlaced)
                w->setGeometry(left, top, Scaled(r.width(), fx), Scaled(r.height(), fy));
            return;
        }
    }
    w->setFont(ScaledFont(originalFont, fy));
    if (layoutPlaced)
        return;
    if (qobject_cast<QListView*>(w)) {
        // A list box keeps its height: it shows whole rows of the new font.
        w->setGeometry(left, top, Scaled(r.width(), fx), r.height());
        return;
    }
    w->setGeometry(left, top, Scaled(r.width(), fx), Scaled(r.height(), fy));
}

bool IsMainWindow(const QWidget* window)
{
    return window->objectName() == QLatin1String("frmMain") || window->inherits("frmMain");
}

}  // namespace

float ZoomFactorX()
{
    return g_zoomFactorX;
}

float ZoomFactorY()
{
    return g_zoomFactorY;
}

void ResetZoomFactors()
{
    g_zoomFactorX = 1.0F;
    g_zoomFactorY = 1.0F;
}

void ScaleForm(QWidget* window, bool zoomOnly, int zoomPercent, double logicalDpiX,
               double logicalDpiY)
{
    if (!window)
        return;
    const double zoom = static_cast<double>(zoomPercent) / 100.0;
    double dpiX = 1.0;
    double dpiY = 1.0;
    if (zoomOnly) {
        dpiX = PropertyOr(window, kDpiFactorX, 1.0);
        dpiY = PropertyOr(window, kDpiFactorY, 1.0);
        g_zoomFactorX = static_cast<float>(zoom);
        g_zoomFactorY = static_cast<float>(zoom);
    } else {
        if (logicalDpiX > 0)
            dpiX = (1440.0 / logicalDpiX) / kDesignTwipsPerPixel;
        if (logicalDpiY > 0)
            dpiY = (1440.0 / logicalDpiY) / kDesignTwipsPerPixel;
        g_zoomFactorX = static_cast<float>(dpiX * zoom);
        g_zoomFactorY = static_cast<float>(dpiY * zoom);
        window->setProperty(kDpiFactorX, dpiX);
        window->setProperty(kDpiFactorY, dpiY);
    }
    if (zoom <= 0)
        return;

    const double targetX = dpiX * zoom;
    const double targetY = dpiY * zoom;
    const double fx = targetX / PropertyOr(window, kAppliedX, 1.0);
    const double fy = targetY / PropertyOr(window, kAppliedY, 1.0);
    if (IsOne(fx) && IsOne(fy))
        return;
    window->setProperty(kAppliedX, targetX);
    window->setProperty(kAppliedY, targetY);

    // Fonts are read before any is changed: a control that inherits its font from a container
    // must grow once, not once for the container and again for itself.
    const QList<QWidget*> controls = ControlsOf(window);
    QHash<QWidget*, QFont> fonts;
    for (QWidget* w : controls)
        fonts.insert(w, w->font());

    if (!IsMainWindow(window)) {
        // The frame keeps its size; the client area scales.
        const QSize inner = window->size();
        const QSize scaled(Scaled(inner.width(), fx), Scaled(inner.height(), fy));
        if (window->minimumSize() == window->maximumSize())
            window->setFixedSize(scaled);
        else
            window->resize(scaled);
    }
    for (QWidget* w : controls)
        ScaleControl(w, fx, fy, fonts.value(w));
}

void ScaleForm(QWidget* window, bool zoomOnly)
{
    if (!window)
        return;
    // Qt already follows the screen's resolution: fonts are measured in points and pixel sizes
    // are scaled on high-resolution screens (device pixel ratio). A window therefore sees the
    // design resolution, and only the zoom setting is left to apply; scaling by the resolution
    // again would draw every window a quarter larger than the desktop's own on a usual screen.
    const double designDpi = 1440.0 / kDesignTwipsPerPixel;
    ScaleForm(window, zoomOnly, Settings().Zoom, designDpi, designDpi);
}

void RescaleOpenWindows()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        // Menus, tooltips and Qt's own pop-ups follow the fonts of their owners.
        if (window->isWindow() && !window->objectName().isEmpty() &&
            !window->objectName().startsWith(QLatin1String("qt_")) && !window->inherits("QMenu"))
            ScaleForm(window, true);
    }
}
