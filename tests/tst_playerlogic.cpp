#include "playback/playerlogic.h"
#include "playback/playrequest.h"
#include "playback/volume.h"

#include <QTest>

using namespace PlayerLogic;

class TestPlayerLogic final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void seconds_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QList<int>>("seconds"); // whole, nearest
        QTest::newRow("2505 ms: 2.50 s, then 2") << qint64(2505) << QList{2, 3};
        QTest::newRow("1495 ms: 1.50 s, then 2") << qint64(1495) << QList{2, 1};
    }
    void seconds()
    {
        QFETCH(qint64, ms);
        QTEST((QList{wholeSeconds(ms), nearestSecond(ms)}), "seconds");
    }
    void endCheck_data()
    {
        QTest::addColumn<MediaStatus>("status"); // of a 10 s file, its length unknown while loading
        QTest::addColumn<qint64>("position");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<EndAction>("action");
        using enum MediaStatus;
        using enum EndAction;
        QTest::newRow("a second left") << Ready << qint64(8999) << false << None;
        QTest::newRow("less: closes") << Ready << qint64(9500) << false << Close;
        QTest::newRow("less, repeated: waits for the end") << Ready << qint64(9500) << true << None;
        QTest::newRow("ended, repeated") << Ended << qint64(10000) << true << Restart;
        QTest::newRow("length unknown") << Loading << qint64(9500) << false << None;
        QTest::newRow("cannot be played, repeated") << Failed << qint64(0) << true << Close;
    }
    void endCheck()
    {
        QFETCH(MediaStatus, status);
        QFETCH(qint64, position);
        QFETCH(bool, repeat);
        const qint64 duration = status == MediaStatus::Loading ? 0 : 10000;
        QTEST(PlayerLogic::endCheck(status, duration, 10, position, repeat, 1), "action");
    }

    // A file still loading is given up at last, as its decoder is stuck; one
    // that plays without a known length plays on.
    void aFileThatNeverOpensIsGivenUp_data()
    {
        QTest::addColumn<MediaStatus>("status");
        QTest::addColumn<int>("checksLoading");
        QTest::addColumn<EndAction>("action");
        using enum MediaStatus;
        using enum EndAction;
        QTest::newRow("loading, one check short")
            << Loading << PlayerLogic::kEndChecksToOpen - 1 << None;
        QTest::newRow("loading, given up") << Loading << PlayerLogic::kEndChecksToOpen << GiveUp;
        QTest::newRow("playing, no length") << Ready << 0 << None;
    }
    void aFileThatNeverOpensIsGivenUp()
    {
        QFETCH(MediaStatus, status);
        QFETCH(int, checksLoading);
        QTEST(PlayerLogic::endCheck(status, 0, 0, 0, false, checksLoading), "action");
    }
    void volume_data()
    {
        QTest::addColumn<int>("centibels");
        QTest::addColumn<double>("linear");
        QTest::newRow("-20 dB") << -2000 << 0.1;
        QTest::newRow("-70 dB, below the engine's floor") << -7000 << 3.1622776601683794e-4;
        QTest::newRow("silence") << Volume::Silent << 0.0;
    }
    void volume()
    {
        QFETCH(int, centibels);
        QFETCH(double, linear);
        QCOMPARE(Volume::linearFromCentibels(centibels), linear);
        QCOMPARE(Volume::centibelsFromLinear(linear), centibels);
    }
    void playfileRequest_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<int>>("f");        // repeatShown, fadeFlag, repeatHidden
        QTest::addColumn<QList<bool>>("request"); // repeat, showWindow, fadeIn
        QTest::newRow("video, any case")
            << "/m/CLIP.AVI" << QList{0, 0, 0} << QList{false, true, false};
        QTest::newRow("a newer video")
            << "/m/clip.webm" << QList{0, 0, 0} << QList{false, true, false};
        QTest::newRow("short: whole") << "vi" << QList{0, 0, 0} << QList{false, true, false};
        QTest::newRow("empty, no video") << "" << QList{0, 0, 0} << QList{false, false, false};
        QTest::newRow("shown repeat") << "a.wav" << QList{1, 0, 0} << QList{true, true, false};
        QTest::newRow("hidden, fade") << "a.wav" << QList{0, 1, 1} << QList{true, false, true};
    }
    void playfileRequest()
    {
        QFETCH(QString, file);
        QFETCH(QList<int>, f);
        const PlayRequest r = ::playfileRequest(file, -1500, f[0] != 0, f[1], f[2] != 0);
        QCOMPARE(r.file + QString::number(r.volume), file + "-1500");
        QTEST((QList{r.repeat, r.showWindow, r.fadeIn}), "request");
    }
};

QTEST_GUILESS_MAIN(TestPlayerLogic)
#include "tst_playerlogic.moc"
