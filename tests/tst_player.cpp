#include "app/bigcform.h"
#include "playback/frmdshow.h"
#include "testseams.h"

#include <QAction>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolBar>

using Status = PlayerLogic::MediaStatus;
using Volumes = QList<int>;

namespace {

const QString kChime = QStringLiteral("/prog/Sounds/chimering.MP3");
const QString kBuiltIn = QStringLiteral("/prog/Sounds/bells.wav");
const QString kVideo = QStringLiteral("/media/clip.avi");

// The engine's side of a file's life, as the end check meets it.
enum class Script { Ended, Failed, StillLoading };

void run(ScriptedEngine &engine, Script script)
{
    switch (script) {
    case Script::Ended:
        engine.loaded(3000);
        engine.reachEnd();
        break;
    case Script::Failed:
        engine.fail(QStringLiteral("Could not determine type of stream."));
        break;
    case Script::StillLoading:
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Script)

class TestPlayer final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        m_program = std::make_unique<TestProgram>(*m_folder);
        QVERIFY(m_program->bas.startprogram());
    }

    void cleanup()
    {
        m_program.reset();
        m_folder.reset();
    }

    void playfileShowsTheWindowOnlyForVideoOrRepeatShown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("repeatShown");
        QTest::addColumn<bool>("repeatHidden");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("repeats");
        QTest::newRow("hourly chime: hidden, once") << kChime << false << false << false << false;
        QTest::newRow("options Play: shown, repeated") << kChime << true << false << true << true;
        QTest::newRow("built-in alarm sound: hidden, repeated")
            << kBuiltIn << false << true << false << true;
        QTest::newRow("video without repeat shows") << kVideo << false << false << true << false;
        QTest::newRow("upper-case video name shows")
            << "/media/CLIP.AVI" << false << false << true << false;
        QTest::newRow("video with hidden repeat still shows")
            << "/media/clip.mov" << false << true << true << true;
    }

    void playfileShowsTheWindowOnlyForVideoOrRepeatShown()
    {
        QFETCH(QString, file);
        QFETCH(bool, repeatShown);
        QFETCH(bool, repeatHidden);
        QFETCH(bool, shown);
        QFETCH(bool, repeats);

        QVERIFY(!bas().player());
        bas().playfile(file, 0, repeatShown, 0, repeatHidden);
        frmdshow &player = *bas().player();
        QCOMPARE(player.isVisible(), shown);
        QCOMPARE(player.bloop, repeats);
        QVERIFY(player.isLoaded());
        QCOMPARE(engines().lastRequests().opened, file);
        QVERIFY(engines().lastRequests().running);
        QVERIFY(timer(QStringLiteral("Timer2"))->isActive());
        QVERIFY(timer(QStringLiteral("Timer3"))->isActive());
    }

    void endCheck_data()
    {
        QTest::addColumn<bool>("bloop");
        QTest::addColumn<Script>("script");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QList<qint64>>("seeks");
        QTest::newRow("end without repeat closes")
            << false << Script::Ended << true << QList<qint64>{};
        QTest::newRow("end with repeat starts again")
            << true << Script::Ended << false << QList<qint64>{0};
        QTest::newRow("unplayable file closes")
            << false << Script::Failed << true << QList<qint64>{};
        QTest::newRow("still loading waits")
            << false << Script::StillLoading << false << QList<qint64>{};
    }

    void endCheck()
    {
        QFETCH(bool, bloop);
        QFETCH(Script, script);
        QFETCH(bool, closes);
        QFETCH(QList<qint64>, seeks);

        BigCFormState &state = bas().form()->state;
        state.alarmON = true;
        state.alaringnow = true;
        bas().playfile(kChime, 0, false, 0, bloop);
        frmdshow &player = *bas().player();
        ScriptedEngine &engine = *engines().last();
        run(engine, script);

        player.Timer2_Timer();
        QCOMPARE(engines().lastRequests().seeks, seeks);
        QCOMPARE(player.isLoaded(), !closes);
        QCOMPARE(engines().alive(), closes ? 0 : 1);
        QCOMPARE(state.alarmON, !closes);
        QCOMPARE(state.alaringnow, !closes);
        QCOMPARE(timer(QStringLiteral("Timer2"))->isActive(), !closes);
        QCOMPARE(timer(QStringLiteral("Timer3"))->isActive(), !closes);
    }

    void lengthArrivingLateIsUsed()
    {
        bas().playfile(kChime, 0, false, 0, false);
        frmdshow &player = *bas().player();
        ScriptedEngine &engine = *engines().last();
        QCOMPARE(player.txtlength, 0);
        engine.loaded(183'500);
        QCOMPARE(player.txtlength, 184);
        QCOMPARE(player.Slider1()->maximum(), 184);
        engine.playTo(182'600);
        player.Timer2_Timer();
        QVERIFY(player.isLoaded());
        engine.playTo(183'500);
        player.Timer2_Timer();
        QVERIFY(!player.isLoaded());
    }

    void fades_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("fadeFlag");
        QTest::addColumn<bool>("fadeout");
        QTest::addColumn<Volumes>("volumes"); // what the engine was given, in order
        QTest::addColumn<int>("closingTick"); // 0: stays open
        QTest::newRow("fade-in from -40 dB to full, overriding the volume")
            << -2000 << 1 << false << Volumes{-4000, -3000, -2000, -1000, 0} << 0;
        QTest::newRow("no fade keeps the volume asked for")
            << -3000 << 0 << false << Volumes{-3000} << 0;
        QTest::newRow("fade-out from full ends on the sixth tick")
            << 0 << 0 << true << Volumes{0, -1000, -2000, -3000, -4000, -5000, -6000} << 6;
    }

    void fades()
    {
        QFETCH(int, volume);
        QFETCH(int, fadeFlag);
        QFETCH(bool, fadeout);
        QFETCH(Volumes, volumes);
        QFETCH(int, closingTick);

        BigCFormState &state = bas().form()->state;
        state.alarmwin = true;
        state.alaringnow = true;
        bas().playfile(kBuiltIn, volume, false, fadeFlag, false);
        frmdshow &player = *bas().player();
        ScriptedEngine &engine = *engines().last();
        engine.loaded(600'000);
        player.fadeout = fadeout;

        constexpr int ticks = 8;
        for (int tick = 1; tick <= ticks && player.isLoaded(); ++tick) {
            player.Timer3_Timer();
            const bool closed = !player.isLoaded();
            QCOMPARE(closed, tick == closingTick);
        }
        QCOMPARE(engines().lastRequests().volumes, volumes);
        QCOMPARE(player.fadein, 0);
        QCOMPARE(state.alarmwin, closingTick == 0);
        QCOMPARE(state.alaringnow, closingTick == 0);
    }

    void newRequestReplacesThePlayingFile()
    {
        bas().playfile(kBuiltIn, 0, false, 0, true);
        frmdshow &player = *bas().player();
        engines().last()->loaded(2000);
        const EngineRequests &alarmSound = engines().lastRequests();
        const QPoint placed = player.pos();

        bas().playfile(kChime, 0, false, 0, false);
        QVERIFY(!alarmSound.alive);
        QCOMPARE(engines().alive(), 1);
        QCOMPARE(bas().player(), &player);
        QCOMPARE(player.pos(), placed);
        QVERIFY(!player.bloop);
        ScriptedEngine &chime = *engines().last();
        QCOMPARE(engines().lastRequests().opened, kChime);
        QVERIFY(engines().lastRequests().running);

        // The chime ends without repeat, so the alarm sound does not come back.
        chime.loaded(4000);
        chime.reachEnd();
        player.Timer2_Timer();
        QVERIFY(!player.isLoaded());
        QCOMPARE(engines().alive(), 0);
    }

    void closingFreesThePlayer_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("the user closes the shown window") << true;
        QTest::newRow("the program closes the hidden player") << false;
    }

    void closingFreesThePlayer()
    {
        QFETCH(bool, shown);
        BigCFormState &state = bas().form()->state;
        state.alarmON = true;
        state.alaringnow = true;
        state.alarmwin = true;
        bas().playfile(kChime, 0, shown, 0, false);
        frmdshow &player = *bas().player();
        QCOMPARE(player.isVisible(), shown);

        QVERIFY(player.close());
        QVERIFY(!player.isVisible());
        QVERIFY(!player.isLoaded());
        QVERIFY(!player.engine());
        QCOMPARE(engines().alive(), 0);
        QVERIFY(!state.alarmON);
        QVERIFY(!state.alaringnow);
        QVERIFY(state.alarmwin);
        for (const char *name : {"Timer2", "Timer3", "Timer4"})
            QVERIFY(!timer(QLatin1String(name))->isActive());

        // The same window loads again, with a fresh engine.
        bas().playfile(kBuiltIn, 0, false, 0, true);
        QCOMPARE(bas().player(), &player);
        QVERIFY(player.isLoaded());
        QCOMPARE(engines().made(), 2);
        QCOMPARE(engines().alive(), 1);
    }

    void seekBarSeeksOnlyWhenTheUserMovesIt()
    {
        bas().playfile(kChime, 0, true, 0, false);
        frmdshow &player = *bas().player();
        QSlider &slider = *player.Slider1();
        ScriptedEngine &engine = *engines().last();
        engine.loaded(60'000);
        QCOMPARE(slider.maximum(), 60);

        engine.playTo(12'600);
        player.Timer3_Timer();
        QCOMPARE(slider.value(), 13);
        player.Timer2_Timer();
        slider.setValue(40);
        const EngineRequests &asked = engines().lastRequests();
        QCOMPARE(asked.seeks, QList<qint64>{});

        // A drag, as the slider sees it.
        slider.setSliderDown(true);
        slider.setSliderPosition(30);
        QCOMPARE(asked.seeks, QList<qint64>{30'000});
        engine.playTo(31'000);
        player.Timer3_Timer();
        QCOMPARE(slider.sliderPosition(), 30);
        slider.setSliderDown(false);
        player.Timer3_Timer();
        QCOMPARE(slider.value(), 31);

        slider.triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(asked.seeks, (QList<qint64>{30'000, 41'000}));
    }

    void pauseThenPlay()
    {
        bas().playfile(kVideo, 0, false, 0, false);
        frmdshow &player = *bas().player();
        const EngineRequests &asked = engines().lastRequests();
        QVERIFY(asked.running);
        player.pauseButton()->trigger();
        QVERIFY(!asked.running);
        player.playButton()->trigger();
        QVERIFY(asked.running);
    }

    void windowLooksAndSitsAsDesigned()
    {
        bas().playfile(kVideo, 0, false, 0, false);
        frmdshow &player = *bas().player();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QCOMPARE(player.windowTitle(), QStringLiteral("Play"));
        QCOMPARE(player.windowType(), Qt::Tool);
        QVERIFY(!player.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!player.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(player.size(), QSize(501, 385)); // 7515 x 5775 twips
        QCOMPARE(player.minimumSize(), player.maximumSize());
        QCOMPARE(player.picVideoWindow()->geometry(), QRect(0, 0, 501, 353));
        QCOMPARE(player.tlbControlBar()->geometry(), QRect(0, 352, 499, 34));
        QCOMPARE(player.Slider1()->parentWidget(), player.tlbControlBar());
        QCOMPARE(player.Slider1()->width(), 433);
        QCOMPARE(player.playButton()->toolTip(), QStringLiteral("Play"));
        QCOMPARE(player.pauseButton()->toolTip(), QStringLiteral("Pause"));
        QVERIFY(!player.playButton()->icon().isNull());
        QVERIFY(!player.pauseButton()->icon().isNull());
        QCOMPARE(player.mnuopen()->text(), QStringLiteral("&Open"));
        QCOMPARE(player.mnuopen()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));

        const QRect screen = player.screen()->geometry();
        QVERIFY(qAbs(player.frameGeometry().center().x() - screen.center().x()) <= 1);
        QTRY_VERIFY(player.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!timer(QStringLiteral("Timer4"))->isActive());
        QVERIFY(player.isVisible());
        const QRect frame = player.frameGeometry();
        QVERIFY(qAbs(frame.top() - screen.top() - (screen.height() - frame.height()) / 2) <= 1);
    }

    void openMenuReopensTheFile()
    {
        bas().playfile(kChime, 0, false, 0, false);
        frmdshow &player = *bas().player();
        player.mnuopen()->trigger();
        QCOMPARE(engines().made(), 2);
        QCOMPARE(engines().alive(), 1);
        QCOMPARE(engines().lastRequests().opened, kChime);
    }

private:
    ClockBas &bas() { return m_program->bas; }
    ScriptedEngineFactory &engines() { return m_program->engines; }
    QTimer *timer(const QString &name) { return bas().player()->findChild<QTimer *>(name); }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TestProgram> m_program;
};

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
