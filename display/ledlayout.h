#pragma once

#include <QRectF>

#include <array>

// Geometry of the six-digit LED display in twips (1/1440 inch). Only the digits
// and the colon dots scale with the size; margins and gaps are fixed twips, so
// a small display is relatively wider spaced than a large one.
struct LedLayout {
    enum Digit { Hr1, Hr2, M1, M2, S1, S2, DigitCount };
    enum Dot { Image5, Image2, S_DoubleDot, Image1, DotCount };

    std::array<QRectF, DigitCount> digits;
    std::array<QRectF, DotCount> dots;
    double width = 0;
    double height = 0;
};

// The layout before the first size is applied: every picture at its design place.
LedLayout initialLedLayout();

// The layout for a display size in percent of the design size (10 to 100).
LedLayout ledLayout(int percent);
