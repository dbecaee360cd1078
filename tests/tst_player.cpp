// The player window over a scripted engine, checking its file every few milliseconds.

#include "playback/frmdshow.h"
#include "scriptedengine.h"
#include "testseams.h"

#include <QSlider>
#include <QTest>

class TestPlayer final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_engines.emplace();
        m_player.emplace(*m_engines, PlayerPace{5, 5});
        m_events.clear();
        connect(&*m_player, &frmdshow::closed, this, [this] { m_events.append("closed"); });
        connect(&*m_player, &frmdshow::fadedOut, this, [this] { m_events.append("fadedOut"); });
    }
    void cleanup() { m_player.reset(); }

    // The end check acts on the last play's repeat: it starts again on its engine or closes.
    void endOfAPlay_data()
    {
        QTest::addColumn<QList<bool>>("repeats"); // one play after the other
        QTest::addColumn<QString>("end"); // at the end check, by the user, the file fails or sticks
        QTest::addColumn<bool>("restarts");
        QTest::newRow("a new play's repeat holds") << QList{false, true} << "end" << true;
        QTest::newRow("a new play's close holds") << QList{true, false} << "end" << false;
        QTest::newRow("closed by the user") << QList{true} << "user" << false;
        QTest::newRow("unplayable: given up at once") << QList{true} << "fails" << false;
        QTest::newRow("never opens: given up at the end checks") << QList{true} << "stuck" << false;
    }
    void endOfAPlay()
    {
        QFETCH(QList<bool>, repeats);
        QFETCH(QString, end);
        QFETCH(bool, restarts);
        if (end == "fails")
            m_engines->failing = {QStringLiteral("a.wav")};
        for (bool repeat : repeats)
            m_player->play({QStringLiteral("a.wav"), 0, repeat});
        EngineScript &script = m_engines->scripts.back();
        // An engine that can loops by itself, without a gap.
        QCOMPARE(script.repeat, repeats.last());
        if (end == "stuck")
            script.setStatus(MediaEngine::MediaStatus::Loading, false);
        else if (end == "user")
            m_player->close();
        else if (end != "fails")
            script.reachEnd();
        QTRY_COMPARE(script.seeks, restarts ? QList<qint64>{0} : QList<qint64>{});
        QTRY_COMPARE(m_events, restarts ? QStringList{} : QStringList{"closed"});
        QCOMPARE(m_engines->alive(), restarts ? 1 : 0);
    }

    // A repeat told by the engine starts again at once, at the volume the fade-in had reached.
    void repeatsAtTheEnginesEnd()
    {
        frmdshow player(*m_engines, PlayerPace{3'600'000, 3'600'000});
        player.play({QStringLiteral("a.wav"), 0, true, false, true});
        EngineScript &script = m_engines->scripts[0];
        script.reachEnd(true);
        QTRY_COMPARE(script.seeks, QList<qint64>{0});
        QCOMPARE(script.volumes, QList{-4000});
        QCOMPARE(m_engines->alive(), 1);
    }

    // A readied engine is never started: a play opens its own and drops it; none while playing.
    void aReadiedEngineIsNeverHeard()
    {
        const PlayRequest alarm{QStringLiteral("bells.wav"), 0, true};
        m_player->ready(alarm);
        m_player->ready(alarm);
        QCOMPARE(m_engines->scripts.size(), size_t(1));
        m_player->play(alarm);
        QCOMPARE(m_engines->scripts.size(), size_t(2));
        QVERIFY(!m_engines->scripts[0].running && !m_engines->scripts[0].alive);
        QVERIFY(m_engines->scripts[1].running);
        m_player->ready({QStringLiteral("other.wav")});
        QCOMPARE(m_engines->scripts.size(), size_t(2));
    }

    // After its close box a window is gone; the program's stop still ends a later hidden play.
    void stopsWhateverTheWindowWentThrough()
    {
        m_player->play({QStringLiteral("clip.avi"), 0, false, true});
        QVERIFY(QTest::qWaitForWindowExposed(&*m_player));
        m_player->close();
        m_player->play({QStringLiteral("a.wav"), 0, true});
        m_events.clear();
        m_player->stop();
        QCOMPARE(m_engines->alive(), 0);
        QCOMPARE(m_events, QStringList{"closed"});
    }

    // The fades step on the player's ticks, in to the volume asked and out to silence, closing.
    void fades()
    {
        m_player->play({QStringLiteral("a.wav"), -1500, true, false, true});
        const QList<int> &volumes = m_engines->scripts[0].volumes;
        QTRY_VERIFY(volumes.size() > 2 && volumes.endsWith(-1500));
        m_player->fadeOut();
        QTRY_COMPARE(m_events, (QStringList{"closed", "fadedOut"}));
        QVERIFY(volumes.last() <= -6000 && m_engines->alive() == 0);
    }

    // The slider follows the position without seeking; the user's move seeks.
    void seeksOnlyForTheUser()
    {
        m_player->play({QStringLiteral("a.wav")});
        m_engines->scripts[0].position = 3000;
        auto *slider = control<QSlider>(&*m_player, "Slider1");
        QVERIFY(slider);
        QTRY_COMPARE(slider->value(), 3);
        QVERIFY(m_engines->scripts[0].seeks.isEmpty());
        slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(m_engines->scripts[0].seeks, QList<qint64>{4000});
    }

private:
    std::optional<ScriptedEngineFactory> m_engines;
    std::optional<frmdshow> m_player;
    QStringList m_events;
};

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
