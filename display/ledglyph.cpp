#include "display/ledglyph.h"

#include <QPainter>

#include <array>

namespace LedGlyph {

namespace {

// Lit segments per digit, bit n for segment n.
constexpr std::array<unsigned, 10> kLitSegments = {
    0b0111111, // 0: a b c d e f
    0b0000110, // 1: b c
    0b1011011, // 2: a b d e g
    0b1001111, // 3: a b c d g
    0b1100110, // 4: b c f g
    0b1101101, // 5: a c d f g
    0b1111101, // 6: a c d e f g
    0b0000111, // 7: a b c
    0b1111111, // 8: all
    0b1101111, // 9: a b c d f g
};

// The top bar, the middle bar and the upper-left bar with its inner end; the
// others mirror them about the middle row (y -> 46 - y) and the centre line
// (x -> 26 - x).
const QPolygonF kTop = {{1, 0}, {25, 0}, {19, 6}, {7, 6}};
const QPolygonF kMiddle = {{7, 20}, {19, 20}, {22, 23}, {19, 26}, {7, 26}, {4, 23}};
const QPolygonF kUpperLeft = {{0, 1}, {6, 7}, {6, 19}, {2, 23}, {0, 23}};
const QPolygonF kUpperLeftInnerEnd = {{0, 22}, {3, 22}, {2, 23}, {0, 23}};

QPolygonF mirrored(const QPolygonF &outline, bool acrossRows, bool acrossColumns)
{
    QPolygonF result;
    for (const QPointF &p : outline)
        result << QPointF(acrossColumns ? Width - p.x() : p.x(),
                          acrossRows ? Height - p.y() : p.y());
    return result;
}

QPolygonF leftOrRight(Segment segment, const QPolygonF &upperLeft)
{
    switch (segment) {
    case F:
        return upperLeft;
    case E:
        return mirrored(upperLeft, true, false);
    case B:
        return mirrored(upperLeft, false, true);
    case C:
        return mirrored(upperLeft, true, true);
    default:
        return {};
    }
}

} // namespace

QPolygonF segmentOutline(Segment segment)
{
    switch (segment) {
    case A:
        return kTop;
    case D:
        return mirrored(kTop, true, false);
    case G:
        return kMiddle;
    default:
        return leftOrRight(segment, kUpperLeft);
    }
}

QPolygonF innerEndOutline(Segment segment)
{
    return leftOrRight(segment, kUpperLeftInnerEnd);
}

bool isLit(int digit, Segment segment)
{
    return digit >= 0 && digit <= 9 && (kLitSegments[digit] & (1u << segment));
}

void paint(QPainter &painter, const QRectF &rect, int digit)
{
    if (digit < 0 || digit > 9)
        return;
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / Width, rect.height() / Height);
    painter.setPen(Qt::NoPen);
    for (int s = 0; s < SegmentCount; ++s) {
        const auto segment = static_cast<Segment>(s);
        const bool lit = isLit(digit, segment);
        painter.setBrush(QColor::fromRgb(lit ? Lit : Unlit));
        painter.drawPolygon(segmentOutline(segment));
        if (lit && segment != A && segment != D && segment != G) {
            painter.setBrush(QColor::fromRgb(LitInnerEnd));
            painter.drawPolygon(innerEndOutline(segment));
        }
    }
    painter.restore();
}

} // namespace LedGlyph
