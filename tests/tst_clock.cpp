#include "app/clock.h"

#include <QTest>

namespace {

constexpr qint64 kMinute = 60 * 1000;
// 2026-03-29 01:00:00 UTC, when Central European time moves from +1 h to +2 h.
constexpr qint64 kSpringForward = 1774746000000;

// A zone of +1 h that moves to +2 h at kSpringForward, counting its lookups.
struct ScriptedZone {
    int lookups = 0;
    int offsetAt(qint64 utcMsecs)
    {
        ++lookups;
        return utcMsecs < kSpringForward ? 3600 : 7200;
    }
};

} // namespace

class TestClock final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void offsetIsLookedUpOnceAMinute_data()
    {
        QTest::addColumn<QList<qint64>>("reads");
        QTest::addColumn<int>("lookups");
        const qint64 t = kSpringForward - 10 * kMinute;
        QTest::newRow("every second of one minute")
            << QList<qint64>{t, t + 1000, t + 30000, t + 59999} << 1;
        QTest::newRow("into the next minute") << QList<qint64>{t + 59999, t + 60000} << 2;
        QTest::newRow("clock set back within the hour")
            << QList<qint64>{t + 5000, t - 20 * kMinute, t + 5000} << 3;
        QTest::newRow("before 1970") << QList<qint64>{-1, -59999, -60001} << 2;
    }

    void offsetIsLookedUpOnceAMinute()
    {
        QFETCH(QList<qint64>, reads);
        QFETCH(int, lookups);
        ScriptedZone zone;
        LocalOffsetCache cache([&zone](qint64 utc) { return zone.offsetAt(utc); });
        for (const qint64 utc : reads)
            QCOMPARE(cache.localTime(utc).toMSecsSinceEpoch(), utc);
        QCOMPARE(zone.lookups, lookups);
    }

    void daylightSavingShowsAtOnce()
    {
        ScriptedZone zone;
        LocalOffsetCache cache([&zone](qint64 utc) { return zone.offsetAt(utc); });
        const QDateTime before = cache.localTime(kSpringForward - 1000);
        QCOMPARE(before.time(), QTime(1, 59, 59));
        const QDateTime after = cache.localTime(kSpringForward);
        QCOMPARE(after.time(), QTime(3, 0, 0));
        QCOMPARE(after.date(), QDate(2026, 3, 29));
        QCOMPARE(before.secsTo(after), 1);
    }

    // The cache changes nothing the user sees: the system clock tells the
    // same local date and time as the C library does.
    void systemClockIsTheLocalTime()
    {
        SystemClock clock;
        for (int i = 0; i < 3; ++i) {
            const QDateTime local = QDateTime::currentDateTime();
            const QDateTime ours = clock.now();
            QCOMPARE(ours.offsetFromUtc(), local.offsetFromUtc());
            QVERIFY(qAbs(local.msecsTo(ours)) < 2000);
        }
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
