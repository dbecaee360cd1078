#include "settings/conffile.h"

#include <QTest>

namespace {

const QString kDefaultChime = QStringLiteral("/prog/Sounds/chimering.MP3");
const QString kExisting = QStringLiteral("/music/chime.mp3");

bool exists(const QString &path)
{
    return path == kExisting;
}

using OptBool = std::optional<bool>;
using OptInt = std::optional<int>;

} // namespace

Q_DECLARE_METATYPE(OptBool)
Q_DECLARE_METATYPE(OptInt)

class TestConfFile final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<OptBool>("isshowing");
        QTest::addColumn<QString>("chime");
        QTest::addColumn<OptInt>("chimes");
        QTest::addColumn<OptInt>("ampm");
        QTest::addColumn<OptInt>("size");

        const OptBool keepB;
        const OptInt keep;
        QTest::newRow("a full file")
            << QByteArray("True\r\n/music/chime.mp3\r\n1\r\n1\r\n5\r\n") << OptBool(true)
            << kExisting << OptInt(1) << OptInt(1) << OptInt(5);
        QTest::newRow("a chime file that does not exist")
            << QByteArray("True\r\n/music/gone.mp3\r\n0\r\n0\r\n0\r\n") << OptBool(true)
            << kDefaultChime << OptInt(0) << OptInt(0) << OptInt(0);
        QTest::newRow("a chime line of spaces") << QByteArray("True\r\n   \r\n") << OptBool(true)
                                                << kDefaultChime << keep << keep << keep;
        QTest::newRow("spaces round the chime path") << QByteArray("x\r\n  /music/chime.mp3 \r\n")
                                                     << keepB << kExisting << keep << keep << keep;
        QTest::newRow("an empty file")
            << QByteArray() << keepB << kDefaultChime << keep << keep << keep;
        QTest::newRow("five empty lines")
            << QByteArray("\r\n\r\n\r\n\r\n\r\n") << keepB << kDefaultChime << keep << keep << keep;
        QTest::newRow("three lines") << QByteArray("False\r\n\r\n1\r\n") << OptBool(false)
                                     << kDefaultChime << OptInt(1) << keep << keep;
        QTest::newRow("a 7 for the time format")
            << QByteArray("True\r\n\r\n0\r\n7\r\n0\r\n") << OptBool(true) << kDefaultChime
            << OptInt(0) << OptInt(7) << OptInt(0);
        QTest::newRow("numbers with spaces")
            << QByteArray(" true \r\n\r\n 1 \r\n  0\r\n3  \r\n") << OptBool(true) << kDefaultChime
            << OptInt(1) << OptInt(0) << OptInt(3);
        QTest::newRow("0 for the first line")
            << QByteArray("0\r\n") << OptBool(false) << kDefaultChime << keep << keep << keep;
        QTest::newRow("-1 for the first line")
            << QByteArray("-1\r\n") << OptBool(true) << kDefaultChime << keep << keep << keep;
        QTest::newRow("a word that is no Boolean")
            << QByteArray("yes\r\n") << keepB << kDefaultChime << keep << keep << keep;
        QTest::newRow("garbage lines keep their settings")
            << QByteArray("maybe\r\n\r\nabc\r\n1x\r\nfifty\r\n") << keepB << kDefaultChime << keep
            << keep << keep;
        QTest::newRow("a check box value out of range")
            << QByteArray("True\r\n\r\n2\r\n\r\n") << OptBool(true) << kDefaultChime << keep << keep
            << keep;
        QTest::newRow("a size that names no entry")
            << QByteArray("True\r\n\r\n0\r\n0\r\n10\r\n") << OptBool(true) << kDefaultChime
            << OptInt(0) << OptInt(0) << keep;
        QTest::newRow("a negative size")
            << QByteArray("True\r\n\r\n0\r\n0\r\n-1\r\n") << OptBool(true) << kDefaultChime
            << OptInt(0) << OptInt(0) << keep;
        QTest::newRow("a time format beyond 16 bits")
            << QByteArray("\r\n\r\n\r\n40000\r\n") << keepB << kDefaultChime << keep << keep
            << keep;
        QTest::newRow("LF line ends")
            << QByteArray("False\n/music/chime.mp3\n1\n0\n9\n") << OptBool(false) << kExisting
            << OptInt(1) << OptInt(0) << OptInt(9);
        QTest::newRow("CR line ends")
            << QByteArray("False\r/music/chime.mp3\r1\r0\r9\r") << OptBool(false) << kExisting
            << OptInt(1) << OptInt(0) << OptInt(9);
        QTest::newRow("no line end at all")
            << QByteArray("True") << OptBool(true) << kDefaultChime << keep << keep << keep;
        QTest::newRow("no line end after the last line")
            << QByteArray("True\r\n\r\n1\r\n1\r\n2") << OptBool(true) << kDefaultChime << OptInt(1)
            << OptInt(1) << OptInt(2);
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe\r\n\x01\x02\r\n\x7f\0\0", 12)
                                        << keepB << kDefaultChime << keep << keep << keep;
        QTest::newRow("a very long first line")
            << QByteArray(1 << 20, 'T') + "\r\n\r\n1\r\n"
            << keepB << kDefaultChime << OptInt(1) << keep << keep;
    }

    void reading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(OptBool, isshowing);
        QFETCH(QString, chime);
        QFETCH(OptInt, chimes);
        QFETCH(OptInt, ampm);
        QFETCH(OptInt, size);

        const ConfLines lines = parseConf(bytes);
        QCOMPARE(lines.isshowing, isshowing);
        QCOMPARE(chimeFileFrom(lines.chimeLine, kDefaultChime, exists), chime);
        QCOMPARE(lines.chimesChecked, chimes);
        QCOMPARE(lines.ampm, ampm);
        QCOMPARE(lines.sizeIndex, size);
    }

    void writing_data()
    {
        QTest::addColumn<bool>("showAtStart");
        QTest::addColumn<bool>("chimesOn");
        QTest::addColumn<bool>("twentyFour");
        QTest::addColumn<int>("sizeIndex");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("24 hours, chimes on, 70 %")
            << true << true << true << 3 << QByteArray("True\r\n/c.mp3\r\n1\r\n1\r\n3\r\n");
        QTest::newRow("auto hide, AM/PM, 100 %")
            << false << false << false << 0 << QByteArray("False\r\n/c.mp3\r\n0\r\n0\r\n0\r\n");
        QTest::newRow("10 %") << true << false << false << 9
                              << QByteArray("True\r\n/c.mp3\r\n0\r\n0\r\n9\r\n");
    }

    void writing()
    {
        QFETCH(bool, showAtStart);
        QFETCH(bool, chimesOn);
        QFETCH(bool, twentyFour);
        QFETCH(int, sizeIndex);
        QFETCH(QByteArray, bytes);

        const ConfValues values{showAtStart, QStringLiteral("/c.mp3"), chimesOn, twentyFour,
                                sizeIndex};
        QCOMPARE(formatConf(values), bytes);

        // What is written reads back as the same settings.
        const ConfLines lines = parseConf(formatConf(values));
        QCOMPARE(lines.isshowing, OptBool(showAtStart));
        QCOMPARE(lines.chimeLine, std::optional<QString>(QStringLiteral("/c.mp3")));
        QCOMPARE(lines.chimesChecked, OptInt(chimesOn ? 1 : 0));
        QCOMPARE(lines.ampm != 0, twentyFour);
        QCOMPARE(lines.sizeIndex, OptInt(sizeIndex));
    }

    void nonAsciiChimePathRoundTrips()
    {
        const QString path = QStringLiteral("/home/zoë/Musik/Glöckchen.mp3");
        const ConfValues values{true, path, false, false, 0};
        QCOMPARE(parseConf(formatConf(values)).chimeLine, std::optional<QString>(path));
    }

    void percent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<OptInt>("value");
        QTest::newRow("100%") << "100%" << OptInt(100);
        QTest::newRow("50%") << "50%" << OptInt(50);
        QTest::newRow("spaces") << " 70 %" << OptInt(70);
        QTest::newRow("a half rounds to even") << "2.5%" << OptInt(2);
        QTest::newRow("no percent sign") << "100" << OptInt();
        QTest::newRow("no number") << "%" << OptInt();
    }

    void percent()
    {
        QFETCH(QString, text);
        QFETCH(OptInt, value);
        QCOMPARE(percentvalue(text), value);
    }

    void everySizeEntryHasItsPercent()
    {
        QCOMPARE(sizeEntries().size(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(percentvalue(sizeEntries().at(i)), OptInt(100 - 10 * i));
    }
};

QTEST_GUILESS_MAIN(TestConfFile)
#include "tst_conffile.moc"
