#include "playback/isvideo.h"
#include "playback/playerlogic.h"
#include "playback/volume.h"

#include <QTest>

using namespace PlayerLogic;

class TestPlayerLogic final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Whole and nearest seconds of 2505 and 1495 ms.
    void seconds()
    {
        QCOMPARE((QList{wholeSeconds(2505), nearestSecond(2505), wholeSeconds(1495),
                        nearestSecond(1495)}),
                 (QList{2, 3, 2, 1}));
    }
    // A file still loading is given up at last, as its decoder is stuck; one of unknown length
    // plays on.
    void endCheck_data()
    {
        QTest::addColumn<MediaStatus>("status"); // of a 10 s file; length unknown loading or at 0
        QTest::addColumn<qint64>("position");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<int>("checksLoading");
        QTest::addColumn<EndAction>("action");
        using enum MediaStatus;
        using enum EndAction;
        const int giveUp = PlayerLogic::kEndChecksToOpen;
        QTest::newRow("a second left") << Ready << qint64(8999) << false << 0 << None;
        QTest::newRow("less: closes") << Ready << qint64(9500) << false << 0 << Close;
        QTest::newRow("less, repeated: waits for the end")
            << Ready << qint64(9500) << true << 0 << None;
        QTest::newRow("ended, repeated") << Ended << qint64(10000) << true << 0 << Restart;
        QTest::newRow("cannot be played, repeated") << Failed << qint64(0) << true << 0 << Close;
        QTest::newRow("loading, one check short")
            << Loading << qint64(9500) << false << giveUp - 1 << None;
        QTest::newRow("loading, given up") << Loading << qint64(0) << false << giveUp << GiveUp;
        QTest::newRow("playing, no length") << Ready << qint64(0) << false << giveUp << None;
    }
    void endCheck()
    {
        QFETCH(MediaStatus, status);
        QFETCH(qint64, position);
        QFETCH(bool, repeat);
        QFETCH(int, checksLoading);
        const qint64 duration = status == MediaStatus::Loading || !position ? 0 : 10000;
        QTEST(PlayerLogic::endCheck(status, duration, 10, position, repeat, checksLoading),
              "action");
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
    void isvideo_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("video");
        QTest::newRow("video, any case") << "/m/CLIP.AVI" << true;
        QTest::newRow("a newer video") << "/m/clip.webm" << true;
        QTest::newRow("empty, no video") << "" << false;
    }
    void isvideo()
    {
        QFETCH(QString, file);
        QTEST(::isvideo(file), "video");
    }

    // A fade-in starts 40 dB below the volume asked and rises 10 dB a tick to it, not beyond; a
    // fade-out falls 10 dB a tick to -60 dB.
    void fades_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("fadeIn");
        QTest::addColumn<QList<int>>("volumes"); // the opening one, then a tick each
        QTest::newRow("in to full") << 0 << true << QList{-4000, -3000, -2000, -1000, 0, 0};
        QTest::newRow("in to -15 dB")
            << -1500 << true << QList{-5500, -4500, -3500, -2500, -1500, -1500};
        QTest::newRow("in from no lower than silence")
            << -8000 << true << QList{-10000, -9000, -8000, -8000};
        QTest::newRow("out from -15 dB")
            << -1500 << false << QList{-1500, -2500, -3500, -4500, -5500, -6500};
    }
    void fades()
    {
        QFETCH(int, asked);
        QFETCH(bool, fadeIn);
        QFETCH(QList<int>, volumes);
        QList<int> seen{openVolume(asked, fadeIn ? 1 : 0)};
        int fadein = fadeIn ? 1 : 0;
        bool done = false;
        while (seen.size() < volumes.size() && !done) {
            const FadeStepResult step = fadeTick(seen.last(), fadein, !fadeIn, asked);
            seen << step.volume;
            fadein = step.fadein;
            done = step.fadeoutDone;
        }
        QCOMPARE(seen, volumes);
        QCOMPARE(done, !fadeIn);
    }

    // The editor's loudness in percent and the hundredths of a decibel it is kept in.
    void percent_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("centibels");
        QTest::newRow("full") << 100 << 0;
        QTest::newRow("half") << 50 << -602;
        QTest::newRow("silent") << 0 << Volume::Silent;
    }
    void percent()
    {
        QFETCH(int, percent);
        QFETCH(int, centibels);
        QCOMPARE(Volume::centibelsFromPercent(percent), centibels);
        QCOMPARE(Volume::percentFromCentibels(centibels), percent);
    }
};

QTEST_GUILESS_MAIN(TestPlayerLogic)
#include "tst_playerlogic.moc"
