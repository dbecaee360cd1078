#include "app/dragsnap.h"

#include <QTest>

namespace {

// A 1920 x 1080 pixel screen and the clock window at 100 %, in twips.
constexpr QSize kScreen(28800, 16200);
constexpr QSize kWindow(2985, 1010);

} // namespace

class TestDragSnap final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void grid_data()
    {
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("g");
        QTest::newRow("zero is not on the zero line") << 0 << 45;
        QTest::newRow("just past zero") << 1 << 0;
        QTest::newRow("below the reach") << 49 << 0;
        QTest::newRow("at the reach") << 50 << 45;
        QTest::newRow("one grid step") << 94 << 45;
        QTest::newRow("next grid step") << 95 << 90;
        QTest::newRow("wide screen, beyond 16 bits") << 100000 << 99990;
    }

    void grid()
    {
        QFETCH(int, p);
        QFETCH(int, g);
        QCOMPARE(dragGrid(p), g);
        QVERIFY(-g < p && p < g + 50);
    }

    void position_data()
    {
        QTest::addColumn<QPoint>("window");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("grab");
        QTest::addColumn<QPoint>("expected");

        // The window moves so that the grabbed point, T + Y and L + X, lands on
        // the grid: at rest here the window sits at (8985, 4470).
        const QPoint grab(600, 300);
        const QPoint at(9000, 4500);
        QTest::newRow("the grabbed point goes onto the grid")
            << at << grab << grab << QPoint(8985, 4470);
        QTest::newRow("right and down by 90")
            << at << grab + QPoint(90, 90) << grab << QPoint(9075, 4560);
        QTest::newRow("a small move stays on the same grid line")
            << at << grab + QPoint(10, 10) << grab << QPoint(8985, 4470);
        QTest::newRow("upward drag follows the pointer")
            << at << grab - QPoint(0, 450) << grab << QPoint(8985, 4020);
        QTest::newRow("leftward drag follows the pointer")
            << at << grab - QPoint(450, 0) << grab << QPoint(8535, 4470);
        QTest::newRow("grabbed point 10 twips from the left edge")
            << QPoint(900, 4500) << QPoint(10 - 900, 300) << grab << QPoint(0, 4470);
        QTest::newRow("left edge within 100 twips snaps to it")
            << at << QPoint(700 - 9000, 300) << grab << QPoint(0, 4470);
        QTest::newRow("left edge at 120 twips stays")
            << at << QPoint(750 - 9000, 300) << grab << QPoint(120, 4470);
        QTest::newRow("past the bottom rests on the bottom edge")
            << QPoint(9000, 14000) << grab + QPoint(0, 5000) << grab
            << QPoint(8985, kScreen.height() - kWindow.height());
        QTest::newRow("past the right rests on the right edge")
            << QPoint(25000, 4500) << grab + QPoint(5000, 0) << grab
            << QPoint(kScreen.width() - kWindow.width(), 4470);
        QTest::newRow("past the top rests on the top edge")
            << QPoint(9000, 200) << grab - QPoint(0, 450) << grab << QPoint(8985, 0);
        QTest::newRow("pointer above the screen keeps the top edge")
            << QPoint(9000, 0) << QPoint(600, -3000) << grab << QPoint(8985, 0);
        QTest::newRow("pointer left of the screen keeps the left edge")
            << QPoint(0, 4500) << QPoint(-3000, 300) << grab << QPoint(0, 4470);
        QTest::newRow("grid exactly at the grab moves one step down")
            << QPoint(0, 0) << QPoint(600, 5) << QPoint(600, 0) << QPoint(0, 45);
    }

    void position()
    {
        QFETCH(QPoint, window);
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, grab);
        QFETCH(QPoint, expected);
        QCOMPARE(draggedWindowPosition({window, kWindow, kScreen, pointer, grab}), expected);
    }

    void dragAcrossTheScreenNeverLeavesIt()
    {
        // A pointer sweeping far beyond every edge leaves the window on screen,
        // moving in steps of the grid and without jumps back.
        const QPoint grab(1000, 400);
        QPoint window(9000, 4500);
        for (int step = -400; step <= 400; ++step) {
            const QPoint pointer = grab + QPoint(step * 97, step * 53);
            const QPoint to = draggedWindowPosition({window, kWindow, kScreen, pointer, grab});
            QVERIFY(to.x() >= 0 && to.x() <= kScreen.width() - kWindow.width());
            QVERIFY(to.y() >= 0 && to.y() <= kScreen.height() - kWindow.height());
            window = to;
        }
    }
};

QTEST_GUILESS_MAIN(TestDragSnap)
#include "tst_dragsnap.moc"
