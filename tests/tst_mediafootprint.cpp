// What the first plays leave in the process, played by the real engine from
// the media module as the program loads it. A process of its own: whatever
// an earlier play in the same process loaded would stay mapped.

#include "app/bigcformstate.h"
#include "headlessmedia.h"
#include "playback/frmdshow.h"
#include "playback/gstreamertuning.h"
#include "playback/mediamodule.h"

#include <QFile>
#include <QTest>

using Status = PlayerLogic::MediaStatus;

namespace {

constexpr int kDeadlineMs = 10'000;

QByteArray mappedFiles()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}

} // namespace

class TestMediaFootprint final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useHeadlessMedia(); }

    void soundOutputIsTheDeviceKindKept_data()
    {
        QTest::addColumn<QByteArray>("klass");
        QTest::addColumn<bool>("kept");
        QTest::newRow("sound server") << QByteArray("Sink/Source/Audio") << true;
        QTest::newRow("sound card") << QByteArray("Audio/Sink") << true;
        QTest::newRow("capture and playout card")
            << QByteArray("Hardware/Source/Sink/Audio/Video") << true;
        QTest::newRow("camera") << QByteArray("Source/Video") << false;
        QTest::newRow("camera with a microphone") << QByteArray("Video/Audio/Source") << false;
        QTest::newRow("video output") << QByteArray("Video/Sink") << false;
        QTest::newRow("no class") << QByteArray() << false;
    }

    void soundOutputIsTheDeviceKindKept()
    {
        QFETCH(QByteArray, klass);
        QFETCH(bool, kept);
        QCOMPARE(offersSoundOutput(klass.constData()), kept);
    }

    // Qt's device monitor starts with the first player; what it loaded for
    // cameras and Vulkan would stay in the process for good.
    void firstPlayWatchesOnlySoundOutputs()
    {
        playToReady(QStringLiteral("tone.wav"));
        const QByteArray mapped = mappedFiles();
        QVERIFY(mapped.contains("/libgstplayback.so"));
        for (const char *plugin :
             {"/libgstvideo4linux2.so", "/libgstuvch264.so", "/libgstvulkan.so"})
            QVERIFY2(!mapped.contains(plugin), plugin);
    }

    // MP3 is the chime's format and the usual alarm's.
    void mp3PlaysWithoutLibav()
    {
        playToReady(QStringLiteral("tone.mp3"));
        const QByteArray mapped = mappedFiles();
        QVERIFY(mapped.contains("/libgstmpg123.so"));
        QVERIFY(!mapped.contains("/libgstlibav.so"));
    }

private:
    void playToReady(const QString &name)
    {
        BigCFormState state;
        frmdshow player(state, m_engines);
        player.load();
        player.filename = QStringLiteral(TOCKARO_TEST_MEDIA_DIR) + u'/' + name;
        player.mnuopen_Click();
        QTRY_VERIFY_WITH_TIMEOUT(player.engine()->status() == Status::Ready, kDeadlineMs);
    }

    ModuleMediaEngineFactory m_engines{QStringLiteral(TOCKARO_MEDIA_MODULE_FILE)};
};

QTEST_MAIN(TestMediaFootprint)
#include "tst_mediafootprint.moc"
