#include "playback/isvideo.h"
#include "playback/playerlogic.h"
#include "playback/volume.h"

#include <QTest>

using namespace PlayerLogic;
using Volumes = QList<int>;

Q_DECLARE_METATYPE(PlayerLogic::MediaStatus)
Q_DECLARE_METATYPE(PlayerLogic::EndAction)

class TestPlayerLogic final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linearFromCentibels_data()
    {
        QTest::addColumn<int>("centibels");
        QTest::addColumn<double>("linear");
        QTest::newRow("full volume is unchanged") << 0 << 1.0;
        QTest::newRow("-6 dB is about half") << -600 << 0.501187;
        QTest::newRow("-10 dB, the first fade-out step") << -1000 << 0.316228;
        QTest::newRow("-20 dB is a tenth") << -2000 << 0.1;
        QTest::newRow("-40 dB, where a fade-in starts") << -4000 << 0.01;
        QTest::newRow("-60 dB, where a fade-out ends") << -6000 << 0.001;
        QTest::newRow("-99.99 dB is still audible in principle") << -9999 << 0.0000100115;
        QTest::newRow("-100 dB is silence") << -10000 << 0.0;
        QTest::newRow("below silence stays silent") << -20000 << 0.0;
        QTest::newRow("above full is clamped") << 500 << 1.0;
    }

    void linearFromCentibels()
    {
        QFETCH(int, centibels);
        QFETCH(double, linear);
        const double got = Volume::linearFromCentibels(centibels);
        QVERIFY2(qAbs(got - linear) <= linear * 1e-5, qPrintable(QString::number(got, 'g', 9)));
    }

    void centibelsSurviveTheRoundTrip()
    {
        // The engine's own reverse map gives up below -60 dB; ours must not.
        for (int centibels = Volume::Silent; centibels <= Volume::Full; ++centibels)
            QCOMPARE(Volume::centibelsFromLinear(Volume::linearFromCentibels(centibels)),
                     centibels);
        QCOMPARE(Volume::centibelsFromLinear(-0.5), Volume::Silent);
        QCOMPARE(Volume::centibelsFromLinear(2.0), Volume::Full);
    }

    void isvideo_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("video");
        QTest::newRow("avi") << "C:/Media/clip.avi" << true;
        QTest::newRow("upper-case AVI") << "C:/Media/CLIP.AVI" << true;
        QTest::newRow("mixed-case Mov") << "/home/u/holiday.Mov" << true;
        QTest::newRow("mpg") << "/v/a.mpg" << true;
        QTest::newRow("dat") << "/v/AVSEQ01.DAT" << true;
        QTest::newRow("flv") << "/v/a.flv" << true;
        QTest::newRow("wav is audio") << "/s/alarm.wav" << false;
        QTest::newRow("upper-case MP3 is audio") << "/s/chimering.MP3" << false;
        QTest::newRow("wma is audio") << "/s/a.wma" << false;
        QTest::newRow("mid is audio") << "/s/a.mid" << false;
        QTest::newRow("midi is audio") << "/s/a.midi" << false;
        QTest::newRow("mpeg: only the last three count") << "/v/a.mpeg" << false;
        QTest::newRow("a name that merely ends in the letters") << "/v/Navi" << true;
        QTest::newRow("two characters tested whole") << "vi" << true;
        QTest::newRow("two characters not in the list") << "xy" << false;
        QTest::newRow("one character found") << "m" << true;
        QTest::newRow("a separator of the list counts") << "/v/a;*." << true;
        QTest::newRow("empty path") << "" << false;
    }

    void isvideo()
    {
        QFETCH(QString, path);
        QFETCH(bool, video);
        QCOMPARE(::isvideo(path), video);
    }

    void rounding_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("nearest");
        QTest::newRow("zero") << qint64(0) << 0 << 0;
        QTest::newRow("just under a half") << qint64(499) << 0 << 0;
        QTest::newRow("half to even zero") << qint64(500) << 0 << 0;
        QTest::newRow("hundredths first: 0.501 is 0.50") << qint64(501) << 0 << 1;
        QTest::newRow("just over a half") << qint64(506) << 1 << 1;
        QTest::newRow("one and a half to even two") << qint64(1500) << 2 << 2;
        QTest::newRow("two and a half to even two") << qint64(2500) << 2 << 2;
        QTest::newRow("hundredths first: 2.505 is 2.50") << qint64(2505) << 2 << 3;
        QTest::newRow("hundredths first: 2.515 is 2.52") << qint64(2515) << 3 << 3;
        QTest::newRow("hundredths first: 3.495 is 3.50") << qint64(3495) << 4 << 3;
        QTest::newRow("hundredths first: 2.495 is 2.50") << qint64(2495) << 2 << 2;
        QTest::newRow("a three-minute song") << qint64(180'400) << 180 << 180;
        QTest::newRow("negative start time") << qint64(-700) << -1 << -1;
    }

    void rounding()
    {
        QFETCH(qint64, ms);
        QFETCH(int, whole);
        QFETCH(int, nearest);
        QCOMPARE(wholeSeconds(ms), whole);
        QCOMPARE(nearestSecond(ms), nearest);
    }

    void openVolume_data()
    {
        QTest::addColumn<int>("vlme");
        QTest::addColumn<int>("fadein");
        QTest::addColumn<int>("volume");
        QTest::newRow("no fade keeps the volume") << -3000 << 0 << -3000;
        QTest::newRow("no fade at full") << 0 << 0 << 0;
        QTest::newRow("fade-in overrides full volume") << 0 << 1 << -4000;
        QTest::newRow("fade-in overrides a quiet volume") << -6000 << 1 << -4000;
    }

    void openVolume()
    {
        QFETCH(int, vlme);
        QFETCH(int, fadein);
        QFETCH(int, volume);
        QCOMPARE(PlayerLogic::openVolume(vlme, fadein), volume);
    }

    void fadeSequence_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("fadein");
        QTest::addColumn<bool>("fadeout");
        QTest::addColumn<Volumes>("volumes"); // after each tick, up to the fade-out's end
        QTest::addColumn<int>("fadeinAfter");
        QTest::addColumn<bool>("done");

        QTest::newRow("fade-in reaches full on the fourth tick")
            << -4000 << 1 << false << Volumes{-3000, -2000, -1000, 0, 0, 0} << 0 << false;
        QTest::newRow("no fade leaves the volume alone")
            << -2000 << 0 << false << Volumes{-2000, -2000, -2000} << 0 << false;
        QTest::newRow("only fadein 1 fades")
            << -4000 << 2 << false << Volumes{-4000, -4000} << 2 << false;
        QTest::newRow("fade-in stops at full, never above")
            << -2500 << 1 << false << Volumes{-1500, -500, 0, 0} << 0 << false;
        QTest::newRow("fade-out from full takes six ticks")
            << 0 << 0 << true << Volumes{-1000, -2000, -3000, -4000, -5000, -6000} << 0 << true;
        QTest::newRow("fade-out from a quiet volume")
            << -4000 << 0 << true << Volumes{-5000, -6000} << 0 << true;
        QTest::newRow("fade-out ends a fade-in still running")
            << -3000 << 1 << true << Volumes{-4000, -5000, -6000} << 0 << true;
        QTest::newRow("fade-out below -60 dB ends at once")
            << -7000 << 0 << true << Volumes{-7000} << 0 << true;
    }

    void fadeSequence()
    {
        QFETCH(int, volume);
        QFETCH(int, fadein);
        QFETCH(bool, fadeout);
        QFETCH(Volumes, volumes);
        QFETCH(int, fadeinAfter);
        QFETCH(bool, done);

        Volumes seen;
        bool finished = false;
        for (int tick = 0; tick < volumes.size() && !finished; ++tick) {
            const FadeStepResult step = fadeTick(volume, fadein, fadeout);
            volume = step.volume;
            fadein = step.fadein;
            finished = step.fadeoutDone;
            seen.append(volume);
        }
        QCOMPARE(seen, volumes);
        QCOMPARE(fadein, fadeinAfter);
        QCOMPARE(finished, done);
    }

    void endCheck_data()
    {
        QTest::addColumn<MediaStatus>("status");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<bool>("bloop");
        QTest::addColumn<EndAction>("action");

        QTest::newRow("playing, seconds left")
            << MediaStatus::Ready << qint64(3000) << qint64(1200) << false << EndAction::None;
        QTest::newRow("one whole second left keeps playing")
            << MediaStatus::Ready << qint64(3000) << qint64(2000) << false << EndAction::None;
        QTest::newRow("2.5 s of 3 s rounds to 2: still playing")
            << MediaStatus::Ready << qint64(3000) << qint64(2500) << false << EndAction::None;
        QTest::newRow("2.6 s of 3 s rounds to the end: closes")
            << MediaStatus::Ready << qint64(3000) << qint64(2600) << false << EndAction::Close;
        QTest::newRow("ended without repeat closes")
            << MediaStatus::Ended << qint64(3000) << qint64(3000) << false << EndAction::Close;
        QTest::newRow("ended with repeat restarts")
            << MediaStatus::Ended << qint64(3000) << qint64(3000) << true << EndAction::Restart;
        QTest::newRow("position past the length (stream start time)")
            << MediaStatus::Ended << qint64(2369) << qint64(3030) << false << EndAction::Close;
        QTest::newRow("failed file closes")
            << MediaStatus::Failed << qint64(0) << qint64(0) << false << EndAction::Close;
        QTest::newRow("failed file with repeat restarts")
            << MediaStatus::Failed << qint64(0) << qint64(0) << true << EndAction::Restart;
        QTest::newRow("still loading: nothing decided")
            << MediaStatus::Loading << qint64(0) << qint64(0) << false << EndAction::None;
        QTest::newRow("ready but length not yet read: nothing decided")
            << MediaStatus::Ready << qint64(0) << qint64(0) << false << EndAction::None;
        QTest::newRow("sub-half-second file ends")
            << MediaStatus::Ended << qint64(400) << qint64(400) << false << EndAction::Close;
    }

    void endCheck()
    {
        QFETCH(MediaStatus, status);
        QFETCH(qint64, duration);
        QFETCH(qint64, position);
        QFETCH(bool, bloop);
        QFETCH(EndAction, action);
        QCOMPARE(PlayerLogic::endCheck(status, duration, wholeSeconds(duration), position, bloop),
                 action);
    }
};

QTEST_GUILESS_MAIN(TestPlayerLogic)
#include "tst_playerlogic.moc"
