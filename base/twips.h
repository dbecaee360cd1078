#pragma once

#include <QPointF>
#include <QRectF>

// Positions and sizes are designed in twips (1/1440 inch); on screen a twip is
// 1/15 of a device-independent pixel, the design resolution of 96 dots per inch,
// so the clock keeps its proportions on high-density screens.
constexpr double kTwipsPerPixel = 15.0;

constexpr double twipsToPixels(double twips)
{
    return twips / kTwipsPerPixel;
}

inline QRectF twipsToPixels(const QRectF &twips)
{
    return QRectF(twips.topLeft() / kTwipsPerPixel, twips.size() / kTwipsPerPixel);
}

inline QPointF pixelsToTwips(const QPointF &pixels)
{
    return pixels * kTwipsPerPixel;
}
