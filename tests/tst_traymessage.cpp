#include "app/traymessage.h"

#include <QTest>

class TestTrayMessage final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<int>("message");
        QTest::addColumn<TrayAction>("action");
        QTest::newRow("512 pointer moves over the icon") << 512 << TrayAction::Nothing;
        QTest::newRow("513 left button down") << 513 << TrayAction::Nothing;
        QTest::newRow("514 left button up") << 514 << TrayAction::Nothing;
        QTest::newRow("515 left double-click shows the clock") << 515 << TrayAction::ShowClock;
        QTest::newRow("516 right button down") << 516 << TrayAction::Nothing;
        QTest::newRow("517 right button up opens the menu") << 517 << TrayAction::OpenMenu;
        QTest::newRow("520 middle button up") << 520 << TrayAction::Nothing;
    }

    void decode()
    {
        QFETCH(int, message);
        QFETCH(TrayAction, action);
        QCOMPARE(trayActionFor(message), action);
    }
};

QTEST_GUILESS_MAIN(TestTrayMessage)
#include "tst_traymessage.moc"
