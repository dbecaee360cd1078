#include "display/ledglyph.h"

#include <array>

namespace {

enum Segment { A, B, C, D, E, F, G };

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

// Right end (inclusive) of the upper-left bar in rows 0..22; -1 where it has no pixel.
constexpr std::array<int, 23> kUpperLeftBarEnd = {-1, 0, 1, 2, 3, 4, 5, 5, 5, 5, 5, 5,
                                                  5,  5, 5, 5, 5, 5, 5, 5, 4, 3, 2};

constexpr int kUpperInnerEndRow = 22;
constexpr int kLowerInnerEndRow = 23;

struct Painter {
    QImage &image;
    unsigned lit;

    void span(Segment s, int y, int x0, int x1, bool innerEnd = false)
    {
        const bool on = lit & (1u << s);
        const QRgb colour =
            on ? (innerEnd ? LedGlyph::LitInnerEnd : LedGlyph::Lit) : LedGlyph::Unlit;
        for (int x = x0; x <= x1; ++x)
            image.setPixel(x, y, colour);
    }
};

} // namespace

QImage LedGlyph::digit(int value)
{
    if (value < 0 || value > 9)
        return {};
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Background);
    Painter p{image, kLitSegments[value]};

    for (int k = 0; k <= 5; ++k) {
        p.span(A, k, 1 + k, 24 - k);
        p.span(D, 45 - k, 1 + k, 24 - k);
    }
    const int middle[6][2] = {{6, 19}, {5, 20}, {4, 21}, {4, 21}, {5, 20}, {6, 19}};
    for (int k = 0; k < 6; ++k)
        p.span(G, 20 + k, middle[k][0], middle[k][1]);

    // The lower bars mirror the upper ones about the middle (row y <-> 45 - y),
    // the right bars mirror the left ones about the centre line (x <-> 25 - x).
    for (int y = 0; y <= kUpperInnerEndRow; ++y) {
        const int end = kUpperLeftBarEnd[y];
        if (end < 0)
            continue;
        const bool upperInner = y == kUpperInnerEndRow;
        const int lowerRow = 45 - y;
        const bool lowerInner = lowerRow == kLowerInnerEndRow;
        p.span(F, y, 0, end, upperInner);
        p.span(B, y, 25 - end, 25, upperInner);
        p.span(E, lowerRow, 0, end, lowerInner);
        p.span(C, lowerRow, 25 - end, 25, lowerInner);
    }
    return image;
}
