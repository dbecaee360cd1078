#include "base/twips.h"
#include "display/ledclock.h"
#include "display/ledglyph.h"

#include <QPainterPath>
#include <QTest>

using LedGlyph::Segment;

namespace {

QPainterPath path(const QPolygonF &outline)
{
    QPainterPath p;
    p.addPolygon(outline);
    p.closeSubpath();
    return p;
}

} // namespace

// Runs at twice the pixel density (QT_SCALE_FACTOR=2).
class TestDisplay final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every device pixel of a digit is where the segment outlines, scaled to
    // the digit, put it: one wholly outside them is black, one wholly inside a
    // segment has the segment's colour. Scaled bitmaps fail this at the
    // slanted ends; the 70 % digits do not start on a whole pixel.
    void digitsFollowTheOutlines_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("digit");
        QTest::addColumn<QString>("lit");
        QTest::newRow("8 at 100 %") << 100 << 8 << "abcdefg";
        QTest::newRow("8 at 70 %") << 70 << 8 << "abcdefg";
        QTest::newRow("1 at 40 %, five bars unlit") << 40 << 1 << "bc";
    }
    void digitsFollowTheOutlines()
    {
        QFETCH(int, percent);
        QFETCH(int, digit);
        QFETCH(QString, lit);
        LedClock clock;
        clock.adjustsize(percent);
        clock.TimeIN(QString(QStringLiteral("%1%1:%1%1:%1%1")).arg(digit));
        const QImage image = clock.grab().toImage();
        QCOMPARE(image.devicePixelRatio(), 2.0);

        // The seconds' units, in device pixels.
        const QRectF rect = twipsToPixels(clock.layout().digits[LedLayout::S2]);
        const QRectF device(rect.topLeft() * 2, rect.size() * 2);
        const QTransform toGlyph = QTransform::fromTranslate(-device.left(), -device.top()) *
                                   QTransform::fromScale(LedGlyph::Width / device.width(),
                                                         LedGlyph::Height / device.height());
        int checked = 0;
        const QRect pixels = device.toAlignedRect();
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x) {
                // The pixel's square in glyph units, a hair inside its edges.
                const QRectF square = toGlyph.mapRect(QRectF(x + 0.01, y + 0.01, 0.98, 0.98));
                QColor expected;
                bool touches = false;
                for (int s = 0; s < LedGlyph::SegmentCount; ++s) {
                    const auto segment = static_cast<Segment>(s);
                    const QPainterPath body = path(LedGlyph::segmentOutline(segment));
                    const QPainterPath innerEnd = path(LedGlyph::innerEndOutline(segment));
                    touches = touches || body.intersects(square);
                    const bool on = lit.contains(QLatin1Char('a' + s));
                    if (on && innerEnd.contains(square))
                        expected = QColor::fromRgb(LedGlyph::LitInnerEnd);
                    else if (body.contains(square) && !(on && innerEnd.intersects(square)))
                        expected = QColor::fromRgb(on ? LedGlyph::Lit : LedGlyph::Unlit);
                }
                if (!touches)
                    expected = Qt::black;
                if (!expected.isValid())
                    continue;
                ++checked;
                if (image.pixelColor(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("device pixel (%1, %2) is %3, not %4")
                                         .arg(x - pixels.left())
                                         .arg(y - pixels.top())
                                         .arg(image.pixelColor(x, y).name(), expected.name())));
            }
        }
        QVERIFY(checked > pixels.width() * pixels.height() / 2);
    }
};

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
