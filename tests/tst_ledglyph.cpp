#include "display/ledglyph.h"

#include <QTest>

class TestLedGlyph final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pixels_data()
    {
        QTest::addColumn<int>("digit");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QRgb>("colour");

        using namespace LedGlyph;
        // Corners and the diagonal gaps between segments stay black.
        QTest::newRow("top-left corner") << 8 << 0 << 0 << Background;
        QTest::newRow("gap between top and upper left") << 8 << 1 << 1 << Background;
        QTest::newRow("gap between top and upper right") << 8 << 24 << 1 << Background;
        QTest::newRow("gap between middle and upper left") << 8 << 3 << 22 << Background;
        QTest::newRow("bottom-right corner") << 8 << 25 << 45 << Background;
        QTest::newRow("inside the digit") << 8 << 12 << 12 << Background;

        // Top bar: 24 pixels wide on row 0, 14 on row 5.
        QTest::newRow("8 top, row 0 left end") << 8 << 1 << 0 << Lit;
        QTest::newRow("8 top, row 0 right end") << 8 << 24 << 0 << Lit;
        QTest::newRow("8 top, row 5 left end") << 8 << 6 << 5 << Lit;
        QTest::newRow("gap at the end of row 5") << 8 << 5 << 5 << Background;
        QTest::newRow("8 top, row 5 right end") << 8 << 19 << 5 << Lit;
        QTest::newRow("1 top is unlit") << 1 << 12 << 2 << Unlit;

        // Middle bar: a hexagon in rows 20 to 25.
        QTest::newRow("8 middle, widest row") << 8 << 4 << 22 << Lit;
        QTest::newRow("0 middle is unlit") << 0 << 12 << 23 << Unlit;
        QTest::newRow("0 middle narrow row") << 0 << 6 << 25 << Unlit;
        QTest::newRow("7 middle is unlit") << 7 << 21 << 23 << Unlit;

        // The inner end rows of the vertical bars.
        QTest::newRow("8 upper left inner end") << 8 << 2 << 22 << LitInnerEnd;
        QTest::newRow("8 upper right inner end") << 8 << 23 << 22 << LitInnerEnd;
        QTest::newRow("8 lower left inner end") << 8 << 0 << 23 << LitInnerEnd;
        QTest::newRow("8 lower right inner end") << 8 << 25 << 23 << LitInnerEnd;
        QTest::newRow("1 upper left inner end, unlit") << 1 << 1 << 22 << Unlit;
        QTest::newRow("1 upper right inner end, lit") << 1 << 24 << 22 << LitInnerEnd;
        QTest::newRow("row above the inner end is plain lit") << 1 << 24 << 21 << Lit;

        // Vertical bars and their tapered ends.
        QTest::newRow("8 upper left tip") << 8 << 0 << 1 << Lit;
        QTest::newRow("8 lower left tip") << 8 << 0 << 44 << Lit;
        QTest::newRow("8 upper left full width") << 8 << 5 << 10 << Lit;
        QTest::newRow("8 upper left beyond") << 8 << 6 << 10 << Background;
        QTest::newRow("7 has no upper left") << 7 << 0 << 10 << Unlit;
        QTest::newRow("6 has its top bar") << 6 << 12 << 0 << Lit;
        QTest::newRow("6 has no upper right") << 6 << 25 << 10 << Unlit;
        QTest::newRow("9 has its bottom bar") << 9 << 12 << 45 << Lit;
        QTest::newRow("9 has no lower left") << 9 << 0 << 30 << Unlit;
        QTest::newRow("2 has no lower right") << 2 << 25 << 30 << Unlit;
        QTest::newRow("2 has its lower left") << 2 << 0 << 30 << Lit;
        QTest::newRow("4 has its upper left") << 4 << 0 << 10 << Lit;
        QTest::newRow("4 has no bottom") << 4 << 12 << 43 << Unlit;
    }

    void pixels()
    {
        QFETCH(int, digit);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QRgb, colour);

        const QImage glyph = LedGlyph::digit(digit);
        QCOMPARE(glyph.size(), QSize(LedGlyph::Width, LedGlyph::Height));
        QCOMPARE(QColor(glyph.pixel(x, y)), QColor(colour));
    }

    void segmentsDoNotOverlapAndEightLightsAll()
    {
        // Every pixel of 8 is either background or lit; no pixel of any digit is
        // lit where 8 is dark.
        const QImage eight = LedGlyph::digit(8);
        int litPixels = 0;
        for (int y = 0; y < LedGlyph::Height; ++y) {
            for (int x = 0; x < LedGlyph::Width; ++x) {
                const QRgb p = eight.pixel(x, y);
                QVERIFY(p == LedGlyph::Background || p == LedGlyph::Lit ||
                        p == LedGlyph::LitInnerEnd);
                litPixels += p != LedGlyph::Background;
                for (int digit = 0; digit <= 9; ++digit)
                    QCOMPARE(LedGlyph::digit(digit).pixel(x, y) == LedGlyph::Background,
                             p == LedGlyph::Background);
            }
        }
        // 2 horizontal trapezoids of 114, the hexagon of 96, 4 bars of 111.
        QCOMPARE(litPixels, 2 * 114 + 96 + 4 * 111);
    }

    void noGlyphOutsideTheDigits()
    {
        QVERIFY(LedGlyph::digit(-1).isNull());
        QVERIFY(LedGlyph::digit(10).isNull());
    }
};

QTEST_GUILESS_MAIN(TestLedGlyph)
#include "tst_ledglyph.moc"
