#include "display/ledlayout.h"

#include <QTest>

using Lefts = QList<double>;

class TestLedLayout final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void worked_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<double>("w");
        QTest::addColumn<double>("h");
        QTest::addColumn<double>("d");
        QTest::addColumn<Lefts>("lefts"); // Hr1, Hr2, colon 1, M1, M2, colon 2, S1, S2
        QTest::addColumn<double>("upperDotTop");
        QTest::addColumn<double>("lowerDotTop");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");

        QTest::newRow("100 %") << 100 << 390.0 << 690.0 << 90.0
                               << Lefts{45, 510, 945, 1065, 1500, 1935, 2055, 2490} << 300.0
                               << 600.0 << 2925.0 << 780.0;
        QTest::newRow("50 %") << 50 << 195.0 << 345.0 << 45.0
                              << Lefts{45, 315, 555, 675, 915, 1155, 1275, 1515} << 150.0 << 300.0
                              << 1755.0 << 435.0;
        QTest::newRow("10 %") << 10 << 39.0 << 69.0 << 9.0
                              << Lefts{45, 159, 243, 363, 447, 531, 651, 735} << 30.0 << 60.0
                              << 819.0 << 159.0;
    }

    void worked()
    {
        QFETCH(int, percent);
        QFETCH(double, w);
        QFETCH(double, h);
        QFETCH(double, d);
        QFETCH(Lefts, lefts);
        QFETCH(double, upperDotTop);
        QFETCH(double, lowerDotTop);
        QFETCH(double, width);
        QFETCH(double, height);

        const LedLayout l = ledLayout(percent);
        const Lefts digitLefts = {lefts[0], lefts[1], lefts[3], lefts[4], lefts[6], lefts[7]};
        for (int i = 0; i < LedLayout::DigitCount; ++i) {
            QCOMPARE(l.digits[i], QRectF(digitLefts[i], 45, w, h));
        }
        QCOMPARE(l.dots[LedLayout::Image2], QRectF(lefts[2], upperDotTop, d, d));
        QCOMPARE(l.dots[LedLayout::Image5], QRectF(lefts[2], lowerDotTop, d, d));
        QCOMPARE(l.dots[LedLayout::Image1], QRectF(lefts[5], upperDotTop, d, d));
        QCOMPARE(l.dots[LedLayout::S_DoubleDot], QRectF(lefts[5], lowerDotTop, d, d));
        QCOMPARE(l.width, width);
        QCOMPARE(l.height, height);
    }

    void everySizeKeepsTheFixedGaps()
    {
        for (int percent = 10; percent <= 100; percent += 10) {
            const LedLayout l = ledLayout(percent);
            const double w = l.digits[0].width();
            QCOMPARE(l.digits[LedLayout::Hr2].left() - l.digits[LedLayout::Hr1].right(), 75.0);
            QCOMPARE(l.digits[LedLayout::M2].left() - l.digits[LedLayout::M1].right(), 45.0);
            QCOMPARE(l.digits[LedLayout::S2].left() - l.digits[LedLayout::S1].right(), 45.0);
            QCOMPARE(l.width, l.digits[LedLayout::S2].right() + 45);
            QVERIFY2(qAbs(w - 3.9 * percent) < 0.01, qPrintable(QString::number(percent)));
        }
    }

    void initialLayoutIsTheDesign()
    {
        const LedLayout l = initialLedLayout();
        QCOMPARE(l.digits[LedLayout::S2], QRectF(2580, 45, 390, 690));
        QCOMPARE(l.dots[LedLayout::Image2], QRectF(945, 645, 90, 90));
        QCOMPARE(l.width, 3030.0);
        QCOMPARE(l.height, 780.0);
    }
};

QTEST_GUILESS_MAIN(TestLedLayout)
#include "tst_ledlayout.moc"
