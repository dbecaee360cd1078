#include "app/windowsizing.h"

#include <QTest>

class TestWindowSizing final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sizes_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<double>("windowWidth");
        QTest::addColumn<double>("windowHeight");
        QTest::addColumn<int>("datePoints");
        QTest::addColumn<bool>("dateShown");

        QTest::newRow("100 %") << 100 << 2985.0 << 1010.0 << 7 << true;
        QTest::newRow("70 % keeps the large date") << 70 << 2283.0 << 803.0 << 7 << true;
        QTest::newRow("61 %, not offered, still large") << 61 << 0.0 << 0.0 << 7 << true;
        QTest::newRow("60 % gets the small date") << 60 << 0.0 << 0.0 << 5 << true;
        QTest::newRow("50 % still shows the date") << 50 << 1815.0 << 665.0 << 5 << true;
        QTest::newRow("40 % hides the date") << 40 << 0.0 << 0.0 << 5 << false;
        QTest::newRow("10 %") << 10 << 879.0 << 389.0 << 5 << false;
    }

    void sizes()
    {
        QFETCH(int, percent);
        QFETCH(double, windowWidth);
        QFETCH(double, windowHeight);
        QFETCH(int, datePoints);
        QFETCH(bool, dateShown);

        const ClockWindowLayout l = clockWindowLayout(percent);
        // The window is always 60 twips wider and 230 taller than the display,
        // which sits right under the 180-twip date line.
        QCOMPARE(l.windowWidth, l.led.width + 60);
        QCOMPARE(l.windowHeight, l.led.height + 230);
        QCOMPARE(l.display, QRectF(9, 180, l.led.width, l.led.height));
        QCOMPARE(l.outline, QRectF(0, 0, l.led.width + 30, l.led.height + 60));
        QCOMPARE(l.dateLine, QRectF(120, 0, 3015, 180));
        if (windowWidth > 0)
            QCOMPARE(l.windowWidth, windowWidth);
        if (windowHeight > 0)
            QCOMPARE(l.windowHeight, windowHeight);
        QCOMPARE(l.dateFontPoints, datePoints);
        QCOMPARE(dateLineShown(percent), dateShown);
    }
};

QTEST_GUILESS_MAIN(TestWindowSizing)
#include "tst_windowsizing.moc"
