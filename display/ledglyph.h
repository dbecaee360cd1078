#pragma once

#include <QPolygonF>
#include <QRgb>

class QPainter;
class QRectF;

// The seven-segment glyphs, drawn from the segment geometry at any size and
// pixel density. Outlines are in glyph units: the glyph is 26 x 46 of them, a
// unit being a pixel of the design bitmap.
namespace LedGlyph {

constexpr int Width = 26;
constexpr int Height = 46;

constexpr QRgb Lit = qRgb(255, 0, 0);
constexpr QRgb LitInnerEnd = qRgb(155, 0, 0);
constexpr QRgb Unlit = qRgb(67, 0, 0);
constexpr QRgb Background = qRgb(0, 0, 0);

enum Segment { A, B, C, D, E, F, G, SegmentCount };

// A segment's outline. Its slanted edges pass through the centres of the
// design bitmap's stair-step pixels, so a one-unit gap separates neighbours.
QPolygonF segmentOutline(Segment segment);

// The part of a vertical segment next to the middle (the inner end row),
// drawn darker when the segment is lit; empty for a, d and g.
QPolygonF innerEndOutline(Segment segment);

bool isLit(int digit, Segment segment);

// Paints a digit (0 to 9) filling `rect` of the painter's coordinates; any
// other value paints nothing.
void paint(QPainter &painter, const QRectF &rect, int digit);

} // namespace LedGlyph
