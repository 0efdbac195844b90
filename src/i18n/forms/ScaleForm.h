#pragma once
// Sizes a window and its controls by the screen's resolution and the zoom setting.
//
// Designs are drawn for 12 twips per pixel (120 logical dots per inch) at zoom 100 %. The factor
// is (twips per pixel / 12) x Zoom / 100, with twips per pixel = 1440 / logical dots per inch;
// a zoom-only call (the zoom setting changed) uses Zoom / 100 alone. Fonts follow the vertical
// factor. Controls that a layout places keep their place and get only the scaled font; the
// layout follows the new sizes itself.

class QWidget;

// Every window calls ScaleForm(this, false) and then LocalizeControls(this) when it loads;
// the default settings dialog calls ScaleForm(window, true) after the zoom changed.
void ScaleForm(QWidget* window, bool zoomOnly);
// The same with an explicit zoom percentage and logical resolution (tests, other screens).
void ScaleForm(QWidget* window, bool zoomOnly, int zoomPercent, double logicalDpiX,
               double logicalDpiY);

// After the zoom setting changed: every open window of the program scales to it (the main
// window and each dialog); windows opened later take it on when they load.
void RescaleOpenWindows();

// The factors of the last ScaleForm call, shared by all windows (1 before the first call).
float ZoomFactorX();
float ZoomFactorY();
void ResetZoomFactors();
