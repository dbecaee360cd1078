#include "display/ledlayout.h"

#include "base/rounding.h"

namespace {

constexpr double kDigitWidth = 390;
constexpr double kDigitHeight = 690;
constexpr double kDotSize = 90;
constexpr double kMargin = 45;
constexpr double kColonToDigit = 120;

QRectF rect(float left, float top, float width, float height)
{
    return QRectF(left, top, width, height);
}

} // namespace

LedLayout initialLedLayout()
{
    LedLayout l;
    const double lefts[] = {45, 510, 1080, 1545, 2115, 2580};
    for (int i = 0; i < LedLayout::DigitCount; ++i)
        l.digits[i] = rect(lefts[i], 45, kDigitWidth, kDigitHeight);
    l.dots[LedLayout::Image5] = rect(945, 345, kDotSize, kDotSize);
    l.dots[LedLayout::Image2] = rect(945, 645, kDotSize, kDotSize);
    l.dots[LedLayout::S_DoubleDot] = rect(1980, 345, kDotSize, kDotSize);
    l.dots[LedLayout::Image1] = rect(1980, 645, kDotSize, kDotSize);
    l.width = 3030;
    l.height = 780;
    return l;
}

LedLayout ledLayout(int percent)
{
    // Sizes are single-precision twips, computed from a double-precision factor,
    // so that the numbers match the design table to the twip.
    const double p = percent / 100.0;
    const float h = static_cast<float>(kDigitHeight * p);
    const float w = static_cast<float>(kDigitWidth * p);
    const float d = static_cast<float>(kDotSize * p);

    const float hr1Left = kMargin;
    const float hr2Left = static_cast<float>(510 - (kDigitWidth - w));
    const int colon1 = static_cast<qint16>(roundHalfEven(hr2Left + w + kMargin));
    const float m1Left = static_cast<float>(colon1 + kColonToDigit);
    const float m2Left = static_cast<float>(m1Left + w + kMargin);
    const int colon2 = static_cast<qint16>(roundHalfEven(m2Left + w + kMargin));
    const float s1Left = static_cast<float>(colon2 + kColonToDigit);
    const float s2Left = static_cast<float>(s1Left + w + kMargin);

    LedLayout l;
    const float lefts[] = {hr1Left, hr2Left, m1Left, m2Left, s1Left, s2Left};
    for (int i = 0; i < LedLayout::DigitCount; ++i)
        l.digits[i] = rect(lefts[i], kMargin, w, h);

    const float lowerTop = h - d;
    const float upperTop = (h - d) / 2;
    l.dots[LedLayout::Image5] = rect(colon1, lowerTop, d, d);
    l.dots[LedLayout::Image2] = rect(colon1, upperTop, d, d);
    l.dots[LedLayout::S_DoubleDot] = rect(colon2, lowerTop, d, d);
    l.dots[LedLayout::Image1] = rect(colon2, upperTop, d, d);

    l.width = static_cast<float>(s2Left + w + kMargin);
    l.height = static_cast<float>(kMargin + h + kMargin);
    return l;
}
