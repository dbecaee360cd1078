#include "app/secondticker.h"

#include <QSignalSpy>
#include <QTest>

class TestSecondTicker final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The ticks come just after the wall clock's whole seconds, one a second.
    void ticksAtTheWholeSeconds()
    {
        SecondTicker ticker;
        QList<QDateTime> seen;
        connect(&ticker, &SecondTicker::tick, this,
                [&seen] { seen.append(QDateTime::currentDateTimeUtc()); });
        ticker.start();
        QVERIFY(ticker.isActive());
        QTRY_VERIFY_WITH_TIMEOUT(seen.size() >= 3, 5000);
        ticker.stop();
        for (qsizetype i = 0; i < seen.size(); ++i) {
            // A generous bound: the test may share the machine with others.
            QVERIFY2(seen[i].time().msec() < 250, qPrintable(seen[i].toString(u"ss.zzz")));
            if (i > 0)
                QCOMPARE(seen[i].toSecsSinceEpoch(), seen[i - 1].toSecsSinceEpoch() + 1);
        }
    }

    void stopsAndStartsAgain()
    {
        SecondTicker ticker;
        QSignalSpy ticks(&ticker, &SecondTicker::tick);
        ticker.start();
        QVERIFY(ticks.wait(2000));
        ticker.stop();
        QVERIFY(!ticker.isActive());
        QVERIFY(!ticks.wait(1500));
        ticker.start();
        QVERIFY(ticks.wait(2000));
    }
};

QTEST_GUILESS_MAIN(TestSecondTicker)
#include "tst_secondticker.moc"
