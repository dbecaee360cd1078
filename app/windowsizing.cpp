#include "app/windowsizing.h"

namespace {

constexpr double kDisplayLeft = 9;
constexpr double kDateLeft = 120;
constexpr double kDateTop = 0;
constexpr double kDateWidth = 3015;
constexpr double kDateHeight = 180;
constexpr int kLargeDateFontMinPercent = 61;
constexpr int kDateLineMinPercent = 50;

} // namespace

ClockWindowLayout clockWindowLayout(int percent)
{
    ClockWindowLayout l;
    l.led = ledLayout(percent);
    l.dateLine = QRectF(kDateLeft, kDateTop, kDateWidth, kDateHeight);
    l.dateFontPoints = percent >= kLargeDateFontMinPercent ? 7 : 5;
    l.display = QRectF(kDisplayLeft, kDateTop + kDateHeight, l.led.width, l.led.height);
    l.outline = QRectF(0, 0, l.led.width + 30, l.led.height + 60);
    l.outerOutline = QRectF(0, 0, 3255, 1095);
    l.windowHeight = l.outline.height() + 170;
    l.windowWidth = l.outline.width() + 30;
    return l;
}

bool dateLineShown(int percent)
{
    return percent >= kDateLineMinPercent;
}
