#pragma once

#include <QImage>
#include <QRgb>

// The 26 x 46 pixel seven-segment glyphs, drawn from the segment geometry.
namespace LedGlyph {

constexpr int Width = 26;
constexpr int Height = 46;

constexpr QRgb Lit = qRgb(255, 0, 0);
constexpr QRgb LitInnerEnd = qRgb(155, 0, 0);
constexpr QRgb Unlit = qRgb(67, 0, 0);
constexpr QRgb Background = qRgb(0, 0, 0);

// Digits 0 to 9; any other value gives an empty image.
QImage digit(int value);

} // namespace LedGlyph
