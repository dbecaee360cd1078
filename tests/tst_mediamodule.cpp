// The program's way to its engines: the media module beside the program,
// loaded on the first play. When it cannot be had, whatever the reason,
// nothing crashes: every file fails at once and the player closes at its end
// check, as for an unplayable file.

#include "app/bigcformstate.h"
#include "playback/frmdshow.h"
#include "playback/mediamodule.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Status = PlayerLogic::MediaStatus;

namespace {

const QString kModule = QStringLiteral(TOCKARO_MEDIA_MODULE_FILE);
const QString kNoEntryModule = QStringLiteral(TOCKARO_NO_ENTRY_MODULE_FILE);

class RecordingListener final : public MediaEngineListener {
public:
    void durationChanged(qint64 ms) override { durations.append(ms); }
    void statusChanged(Status status) override { statuses.append(status); }

    QList<qint64> durations;
    QList<Status> statuses;
};

} // namespace

class TestMediaModule final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_scratch.isValid());
        QLoggingCategory::setFilterRules(QStringLiteral("tockaro.playback.info=true"));
    }

    void programFolderNamesTheBuiltModule()
    {
        const QFileInfo built(kModule);
        QVERIFY(built.exists());
        QCOMPARE(ModuleMediaEngineFactory::modulePath(built.path()), built.filePath());
    }

    void unloadableModuleFailsEveryFile_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QByteArray>("bytes"); // written to `module` unless null
        const QString folder = m_scratch.path();
        QTest::newRow("no module where the program looks")
            << ModuleMediaEngineFactory::modulePath(folder + QStringLiteral("/elsewhere"))
            << QByteArray();
        QTest::newRow("a file that is no library")
            << ModuleMediaEngineFactory::modulePath(folder) << QByteArray(4000, '\x5a');
        QTest::newRow("a library without the entry point") << kNoEntryModule << QByteArray();
    }

    void unloadableModuleFailsEveryFile()
    {
        QFETCH(QString, module);
        QFETCH(QByteArray, bytes);
        if (!bytes.isNull()) {
            QFile file(module);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
        }

        // The reason is logged once, when the first play tries the module.
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^No media module: .")));
        ModuleMediaEngineFactory engines(module);
        QWidget videoArea;
        const std::unique_ptr<MediaEngine> engine = engines.create(videoArea);
        QCOMPARE(engine->status(), Status::Failed);
        QVERIFY2(engine->errorString().startsWith(QLatin1String("No media module: ")),
                 qPrintable(engine->errorString()));
        RecordingListener listener;
        engine->setListener(&listener);
        engine->open(QStringLiteral("/prog/Sounds/bells.wav"));
        engine->run();
        engine->setVolume(-2500);
        QCOMPARE(engine->volume(), -2500);
        QCOMPARE(engine->duration(), qint64(0));
        QCOMPARE(listener.statuses, QList<Status>{Status::Failed});
        QVERIFY(videoArea.children().isEmpty());

        // The player plays nothing and closes at its end check, every time.
        BigCFormState state;
        frmdshow player(state, engines);
        for (int play = 0; play < 2; ++play) {
            state.alarmON = true;
            state.alaringnow = true;
            player.load();
            player.filename = QStringLiteral("/prog/Sounds/chimering.MP3");
            player.mnuopen_Click();
            QVERIFY(player.engine());
            QCOMPARE(player.engine()->status(), Status::Failed);
            QCOMPARE(player.engine()->errorString(), engine->errorString());
            player.Timer2_Timer();
            QVERIFY(!player.isLoaded());
            QVERIFY(!player.engine());
            QVERIFY(!state.alarmON);
            QVERIFY(!state.alaringnow);
        }
    }

private:
    QTemporaryDir m_scratch;
};

QTEST_MAIN(TestMediaModule)
#include "tst_mediamodule.moc"
