#include "app/clocktext.h"

#include <QTest>

class TestClockText final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void timeText_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("twentyFour");
        QTest::addColumn<QString>("text");

        QTest::newRow("24 h evening") << QTime(21, 15, 42, 300) << true << "21:15:42 .3";
        QTest::newRow("12 h evening") << QTime(21, 15, 42, 300) << false << "09:15:42 PM.3";
        QTest::newRow("24 h just after midnight") << QTime(0, 5, 9) << true << "00:05:09 .0";
        QTest::newRow("12 h midnight is 12 AM") << QTime(0, 0, 0) << false << "12:00:00 AM.0";
        QTest::newRow("12 h last second before noon")
            << QTime(11, 59, 59, 400) << false << "11:59:59 AM.4";
        QTest::newRow("12 h noon is 12 PM") << QTime(12, 0, 0) << false << "12:00:00 PM.0";
        QTest::newRow("12 h one in the afternoon") << QTime(13, 7, 0) << false << "01:07:00 PM.0";
        QTest::newRow("24 h last second of the day")
            << QTime(23, 59, 59, 940) << true << "23:59:59 .9";
        QTest::newRow("tenths round to the nearest")
            << QTime(8, 0, 1, 960) << true << "08:00:01 .0";
        QTest::newRow("tenths half rounds up") << QTime(8, 0, 1, 250) << true << "08:00:01 .3";
    }

    void timeText()
    {
        QFETCH(QTime, time);
        QFETCH(bool, twentyFour);
        QFETCH(QString, text);
        QCOMPARE(clockTimeText(time, twentyFour, QLocale::c()), text);
    }

    void amPmTextIsTheLocales()
    {
        QLocale korean(QLocale::Korean, QLocale::SouthKorea);
        const QString text = clockTimeText(QTime(15, 0, 0), false, korean);
        QCOMPARE(text, QStringLiteral("03:00:00 ") + korean.pmText() + QStringLiteral(".0"));
    }

    void dateLine_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << "Monday  7  December  2026";
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << "Montag  7  Dezember  2026";
    }

    void dateLine()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QCOMPARE(dateLineText(QDate(2026, 12, 7), locale), text);
    }

    void tickFollowsTheWallClock_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<int>("delay");
        QTest::newRow("on the second") << QTime(10, 0, 0, 0) << 1000;
        QTest::newRow("just after the second") << QTime(10, 0, 0, 2) << 998;
        QTest::newRow("on the half") << QTime(10, 0, 0, 500) << 500;
        QTest::newRow("last millisecond") << QTime(10, 0, 0, 999) << 1;
        QTest::newRow("last second of the day") << QTime(23, 59, 59, 873) << 127;
    }

    void tickFollowsTheWallClock()
    {
        QFETCH(QTime, now);
        QFETCH(int, delay);
        QCOMPARE(msecsToNextSecond(now), delay);
        QCOMPARE(now.addMSecs(delay).msec(), 0);
    }
};

QTEST_GUILESS_MAIN(TestClockText)
#include "tst_clocktext.moc"
