#include "display/ledclock.h"
#include "display/ledglyph.h"

#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

// Collects the regions the control repaints.
class PaintSpy final : public QObject {
public:
    explicit PaintSpy(QWidget &widget) { widget.installEventFilter(this); }
    QList<QRegion> regions;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            regions.append(static_cast<QPaintEvent *>(event)->region());
        return false;
    }
};

QRect pixelRect(const QRectF &twips)
{
    return QRectF(twips.topLeft() / 15, twips.size() / 15).toAlignedRect();
}

using Digits = std::array<int, LedLayout::DigitCount>;

} // namespace

class TestLedClock final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<LedClock>();
        m_clock->adjustsize(100);
        m_clock->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_clock.get()));
    }

    void cleanup() { m_clock.reset(); }

    void readsOnlyTheDigitPositions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Digits>("shown");
        QTest::newRow("plain") << "12:34:56" << Digits{1, 2, 3, 4, 5, 6};
        QTest::newRow("24-hour text with tenths") << "21:41:07 .3" << Digits{2, 1, 4, 1, 0, 7};
        QTest::newRow("12-hour text with designator")
            << "09:41:07 PM.3" << Digits{0, 9, 4, 1, 0, 7};
        QTest::newRow("a letter keeps its digit, the rest update")
            << "1x:34:56" << Digits{1, 0, 3, 4, 5, 6};
        QTest::newRow("empty text changes nothing") << "" << Digits{0, 0, 0, 0, 0, 0};
        QTest::newRow("short text updates what it has") << "23:5" << Digits{2, 3, 5, 0, 0, 0};
    }

    void readsOnlyTheDigitPositions()
    {
        QFETCH(QString, text);
        QFETCH(Digits, shown);
        m_clock->TimeIN(text);
        QCOMPARE(m_clock->shownDigits(), shown);
    }

    void redrawsOnlyTheDigitsThatChanged()
    {
        PaintSpy spy(*m_clock);
        m_clock->TimeIN(QStringLiteral("12:34:56 .0"));
        QTRY_VERIFY(!spy.regions.isEmpty());
        spy.regions.clear();

        m_clock->TimeIN(QStringLiteral("12:34:57 .5"));
        QTRY_COMPARE(spy.regions.size(), 1);
        QCOMPARE(spy.regions.first(), QRegion(pixelRect(m_clock->layout().digits[LedLayout::S2])));
        spy.regions.clear();

        // The same text again, and a change after the eighth character only.
        m_clock->TimeIN(QStringLiteral("12:34:57 .5"));
        m_clock->TimeIN(QStringLiteral("12:34:57 .9"));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(spy.regions.isEmpty());

        m_clock->TimeIN(QStringLiteral("12:35:00 .0"));
        QTRY_VERIFY(!spy.regions.isEmpty());
        QRegion expected;
        for (auto digit : {LedLayout::M2, LedLayout::S1, LedLayout::S2})
            expected += pixelRect(m_clock->layout().digits[digit]);
        QRegion painted;
        for (const QRegion &r : std::as_const(spy.regions))
            painted += r;
        QCOMPARE(painted, expected);
    }

    void paintsTheGlyphsAndDots()
    {
        m_clock->TimeIN(QStringLiteral("18:88:88"));
        const QImage shot = m_clock->grab().toImage();
        const QRect hr1 = pixelRect(m_clock->layout().digits[LedLayout::Hr1]);
        const QRect hr2 = pixelRect(m_clock->layout().digits[LedLayout::Hr2]);
        // At 100 % a glyph is shown at its natural 26 x 46 pixels.
        QCOMPARE(hr1.size(), QSize(LedGlyph::Width, LedGlyph::Height));
        const QImage one = LedGlyph::digit(1);
        const QImage eight = LedGlyph::digit(8);
        for (int y = 0; y < LedGlyph::Height; ++y) {
            for (int x = 0; x < LedGlyph::Width; ++x) {
                QCOMPARE(shot.pixel(hr1.topLeft() + QPoint(x, y)), one.pixel(x, y));
                QCOMPARE(shot.pixel(hr2.topLeft() + QPoint(x, y)), eight.pixel(x, y));
            }
        }
        const QRect dot = pixelRect(m_clock->layout().dots[LedLayout::Image2]);
        QCOMPARE(dot.size(), QSize(6, 6));
        QCOMPARE(shot.pixel(dot.center()), LedGlyph::Lit);
        QCOMPARE(shot.pixel(QPoint(1, 1)), LedGlyph::Background);
    }

    void resizesToTheLayout_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<QSize>("size");
        QTest::newRow("100 %") << 100 << QSize(195, 52);
        QTest::newRow("50 %") << 50 << QSize(117, 29);
        QTest::newRow("10 %") << 10 << QSize(55, 11);
    }

    void resizesToTheLayout()
    {
        QFETCH(int, percent);
        QFETCH(QSize, size);
        m_clock->adjustsize(50);
        m_clock->adjustsize(percent);
        QCOMPARE(m_clock->size(), size);
    }

    void forwardsPointerActions()
    {
        QSignalSpy down(m_clock.get(), &LedClock::MouseDown);
        QSignalSpy up(m_clock.get(), &LedClock::MouseUp);
        QSignalSpy doubleClick(m_clock.get(), &LedClock::MouseDBLCLICK);

        QTest::mousePress(m_clock.get(), Qt::RightButton, Qt::ShiftModifier, QPoint(2, 3));
        QCOMPARE(down.size(), 1);
        QCOMPARE(down.first(), (QVariantList{2, 1, 30.0, 45.0}));
        QTest::mouseRelease(m_clock.get(), Qt::RightButton, {}, QPoint(2, 3));
        QCOMPARE(up.first().at(0).toInt(), 2);

        // A press on a digit counts as well: the digits are what people grab.
        const QPoint onDigit = pixelRect(m_clock->layout().digits[LedLayout::M1]).center();
        QTest::mousePress(m_clock.get(), Qt::LeftButton, {}, onDigit);
        QCOMPARE(down.size(), 2);
        QCOMPARE(down.last().at(0).toInt(), 1);
        QTest::mouseRelease(m_clock.get(), Qt::LeftButton, {}, onDigit);

        QTest::mouseDClick(m_clock.get(), Qt::LeftButton, {}, QPoint(2, 3));
        QCOMPARE(doubleClick.size(), 1);
    }

private:
    std::unique_ptr<LedClock> m_clock;
};

QTEST_MAIN(TestLedClock)
#include "tst_ledclock.moc"
