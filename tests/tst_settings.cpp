#include "settings/conffile.h"

#include <QTest>

namespace {

const QString kChime = QStringLiteral("/c");
const QString kDefault = QStringLiteral("/d");

Settings read(const QByteArray &bytes)
{
    return readConf(bytes, kDefault, [](const QString &path) { return path == kChime; });
}

Settings s(bool show, bool chime, bool chimes, bool h24, int size)
{
    return {show, chime ? kChime : kDefault, chimes, h24, size};
}

} // namespace

class TestSettings final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readConf_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Settings>("settings");
        QTest::newRow("every line")
            << QByteArray("True\r\n /c \r\n1\r\n1\r\n5\r\n") << s(1, 1, 1, 1, 5);
        QTest::newRow("missing chime, -1 is true, half to even")
            << QByteArray("-1\r\n/x\r\n0\r\n2.5\r\n4.5\r\n") << s(1, 0, 0, 1, 4);
        QTest::newRow("spaces-only line 2")
            << QByteArray("0\r\n   \r\n1\r\n0\r\n5.5") << s(0, 0, 1, 0, 6);
        QTest::newRow("empty file") << QByteArray() << s(0, 0, 0, 0, 0);
        QTest::newRow("three lines") << QByteArray("True\r\n/c\r\n1") << s(1, 1, 1, 0, 0);
        QTest::newRow("line 4 of 7")
            << QByteArray("\r\n\r\n\r\n1\r\n\r\n9\r\n9\r\n") << s(0, 0, 0, 1, 0);
        QTest::newRow("garbage, NUL, out of range")
            << QByteArrayLiteral("yes\r\n/c\0x\r\n2\r\n99999\r\n10\r\n") << s(0, 0, 0, 0, 0);
        QTest::newRow("huge line") << QByteArray(1 << 20, '1') + "\r\n/c" << s(0, 1, 0, 0, 0);
        QTest::newRow("CR only, LF only") << QByteArray("True\r/c\n1\r1\n5") << s(1, 1, 1, 1, 5);
    }
    void readConf()
    {
        QFETCH(QByteArray, bytes);
        QTEST(read(bytes), "settings");
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
