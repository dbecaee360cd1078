#pragma once

#include "display/ledlayout.h"

#include <QRectF>

// The clock window laid out for a display size: the date line on top, the LED
// display right under it, the outline round the display and the window round
// the outline. Twips throughout; font size in points.
struct ClockWindowLayout {
    LedLayout led;
    QRectF display;  // the LED control inside the window
    QRectF dateLine; // the date label
    int dateFontPoints = 7;
    QRectF outline;      // Shape1
    QRectF outerOutline; // Shape2, never resized
    double windowWidth = 0;
    double windowHeight = 0;
};

ClockWindowLayout clockWindowLayout(int percent);

// The date line shows at 50 % and above; below, the digits keep their place
// under an empty band.
bool dateLineShown(int percent);
