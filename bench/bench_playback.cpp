// Figures for the player on the real engine:
//  - time from playfile to the engine reporting the file running, for the
//    built-in WAV and the MP3 chime (median of repeated plays, first play apart);
//  - resident memory after 100 plays of a short file, each to its end and
//    the end check's close, against the memory after the first close, and
//    whether any engine survived its close.
// The engines come from the media module, loaded as the program loads it:
// from PROGRAM_FOLDER when given (an installed folder), else from the build tree.
// Run without a sound card as
//   QT_QPA_PLATFORM=offscreen GST_PLUGIN_FEATURE_RANK=fakeaudiosink:MAX
//   bench_playback [SOUNDS_DIR [PROGRAM_FOLDER]]

#include "app/program.h"
#include "base/dialogs.h"
#include "base/poweroff.h"
#include "platform/eventloopend.h"
#include "platform/folderlock.h"
#include "platform/mediamodule.h"
#include "platform/secondticker.h"
#include "platform/systemclock.h"
#include "platform/systemsleepinhibitor.h"
#include "platform/systemwaketimer.h"
#include "playback/frmdshow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <utility>

namespace {

// A benchmark never turns the machine off.
class NoPowerOff final : public PowerOff {
public:
    Result powerOff() override { return Result::failure(QStringLiteral("not in a benchmark")); }
};

class PrintedDialogs final : public Dialogs {
public:
    void messg(const QString &text) override { std::printf("message: %s\n", qPrintable(text)); }
    void notice(const QString &text) override { messg(text); }
    QString openFileName(QWidget *, const QString &) override { return {}; }
};

// A real engine, counted while it lives.
class WatchedEngine final : public MediaEngine {
public:
    WatchedEngine(std::unique_ptr<MediaEngine> real, int &alive)
        : m_real(std::move(real)), m_alive(alive)
    {
        ++m_alive;
    }
    ~WatchedEngine() override { --m_alive; }

    void setListener(MediaEngineListener *listener) override { m_real->setListener(listener); }
    void setRepeat(bool on) override { m_real->setRepeat(on); }
    void open(const QString &file) override { m_real->open(file); }
    void run() override { m_real->run(); }
    void pause() override { m_real->pause(); }
    void setVolume(int centibels) override { m_real->setVolume(centibels); }
    int volume() const override { return m_real->volume(); }
    qint64 duration() const override { return m_real->duration(); }
    qint64 position() const override { return m_real->position(); }
    void seek(qint64 ms) override { m_real->seek(ms); }
    MediaStatus status() const override { return m_real->status(); }
    QString errorString() const override { return m_real->errorString(); }

private:
    std::unique_ptr<MediaEngine> m_real;
    int &m_alive;
};

// The real engines, watched so the bench can tell whether any outlives its file.
class WatchedEngines final : public MediaEngineFactory {
public:
    explicit WatchedEngines(const QStringList &modulePaths)
        : m_real(modulePaths.value(0), modulePaths.value(1))
    {}

    std::unique_ptr<MediaEngine> create(QWidget &videoArea, const QString &file) override
    {
        ++m_made;
        return std::make_unique<WatchedEngine>(m_real.create(videoArea, file), m_alive);
    }

    int alive() const { return m_alive; }
    int made() const { return m_made; }

private:
    ModuleMediaEngineFactory m_real;
    int m_made = 0;
    int m_alive = 0;
};

// Runs the event loop until `done` holds or the deadline passes.
bool waitFor(const std::function<bool()> &done, int deadlineMs = 10'000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > deadlineMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

double residentMegabytes()
{
#ifdef Q_OS_LINUX
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return std::nan("");
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * 4096.0 / (1024.0 * 1024.0) : std::nan("");
#else
    return std::nan("");
#endif
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2.0;
}

// A quarter-second mono tone, as short a file as the player meets.
bool writeShortWav(const QString &path)
{
    constexpr int rate = 22050;
    constexpr int samples = rate / 4;
    QByteArray data(samples * 2, Qt::Uninitialized);
    for (int k = 0; k < samples; ++k)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(2 * std::numbers::pi * 440 * k / rate)),
                                data.data() + 2 * k);
    QByteArray wav("RIFF....WAVEfmt ");
    auto append32 = [&wav](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    auto append16 = [&wav](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    append32(16);
    append16(1);
    append16(1);
    append32(rate);
    append32(rate * 2);
    append16(2);
    append16(16);
    wav.append("data");
    append32(quint32(data.size()));
    wav.append(data);
    qToLittleEndian<quint32>(quint32(wav.size() - 8), wav.data() + 4);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

struct StartTimes {
    double first = 0;
    QList<double> later;
};

// playfile up to the engine's Ready status (the file is read and the
// pipeline plays) and up to the first position past zero (sound flows).
bool measureStart(Program &program, const QString &file, int plays, StartTimes &ready,
                  StartTimes &flowing)
{
    for (int play = 0; play < plays; ++play) {
        QElapsedTimer clock;
        clock.start();
        program.sound().play(PlayRequest{.file = file});
        MediaEngine *engine = program.player()->engine();
        if (!waitFor([engine] { return engine->status() != PlayerLogic::MediaStatus::Loading; }))
            return false;
        const double readyMs = clock.nsecsElapsed() / 1e6;
        if (engine->status() != PlayerLogic::MediaStatus::Ready) {
            std::printf("%s\n", qPrintable(engine->errorString()));
            return false;
        }
        if (!waitFor([engine] { return engine->position() > 0; }))
            return false;
        const double flowingMs = clock.nsecsElapsed() / 1e6;
        if (play == 0)
            std::printf("resident while the first file plays %.1f MB\n", residentMegabytes());
        program.player()->close();
        QCoreApplication::processEvents();
        if (play == 0)
            std::printf("resident after it closed %.1f MB\n", residentMegabytes());
        (play == 0 ? ready.first : ready.later.emplace_back()) = readyMs;
        (play == 0 ? flowing.first : flowing.later.emplace_back()) = flowingMs;
    }
    return true;
}

int run(const QString &soundsDir, const QStringList &modulePaths)
{
    QTemporaryDir folder;
    const QDir program(folder.path());
    if (!program.mkdir(QStringLiteral("Sounds")))
        return 1;
    for (const QString &name : QDir(soundsDir).entryList(QDir::Files))
        QFile::copy(soundsDir + u'/' + name, program.filePath(QStringLiteral("Sounds/") + name));
    QFile conf(program.filePath(QStringLiteral("conf")));
    if (!conf.open(QIODevice::WriteOnly) || conf.write("False\r\n\r\n0\r\n0\r\n100\r\n") < 0)
        return 1;
    conf.close();

    SystemClock clock;
    SecondTicker ticks;
    PrintedDialogs dialogs;
    EventLoopEnd end;
    FolderLockGuard guard(folder.path());
    WatchedEngines engines(modulePaths);
    NoPowerOff powerOff;
    SystemWakeTimer wake;
    SystemSleepInhibitor sleepInhibitor;
    // The end check comes at once, so the plays follow one another without waiting for it.
    Program tockaro({clock, ticks, dialogs, end, guard, folder.path(), false, engines, powerOff,
                     wake, sleepInhibitor, false, nullptr, PlayerPace{10, 1000}});
    if (!tockaro.startprogram())
        return 1;

    std::printf("resident with the clock window %.1f MB\n", residentMegabytes());
    const QString wav = program.filePath(QStringLiteral("Sounds/bells.wav"));
    const QString mp3 = program.filePath(QStringLiteral("Sounds/chimering.MP3"));
    constexpr int plays = 21;
    for (const QString &file : {wav, mp3}) {
        StartTimes ready;
        StartTimes flowing;
        if (!measureStart(tockaro, file, plays, ready, flowing)) {
            std::printf("%s did not start\n", qPrintable(file));
            return 1;
        }
        std::printf("%-16s playfile to running: first %.1f ms, median of next %lld %.1f ms "
                    "(min %.1f, max %.1f); to sound flowing: first %.1f ms, median %.1f ms\n",
                    qPrintable(QFileInfo(file).fileName()), ready.first,
                    qlonglong(ready.later.size()), median(ready.later),
                    *std::min_element(ready.later.begin(), ready.later.end()),
                    *std::max_element(ready.later.begin(), ready.later.end()), flowing.first,
                    median(flowing.later));
    }

    const QString tone = program.filePath(QStringLiteral("tone.wav"));
    if (!writeShortWav(tone))
        return 1;
    constexpr int loops = 100;
    double afterFirst = 0;
    QElapsedTimer total;
    total.start();
    for (int play = 0; play < loops; ++play) {
        tockaro.sound().play(PlayRequest{.file = tone});
        frmdshow &player = *tockaro.player();
        // To the file's end and the end check's close, which the player's
        // pace makes come at once.
        if (!waitFor([&player] { return !player.isLoaded(); })) {
            std::printf("play %d did not end\n", play + 1);
            return 1;
        }
        QCoreApplication::processEvents();
        if (play == 0)
            afterFirst = residentMegabytes();
    }
    const double afterLast = residentMegabytes();
    std::printf("%d plays of a 0.25 s WAV in %.1f s: resident %.1f MB after the first close, "
                "%.1f MB after the last (%+.1f MB); engines made %d, alive %d\n",
                loops, total.elapsed() / 1000.0, afterFirst, afterLast, afterLast - afterFirst,
                engines.made(), engines.alive());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication app(argc, argv);
    std::printf("resident at start %.1f MB\n", residentMegabytes());
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QStringList modulePaths =
        argc > 2 ? QStringList{ModuleMediaEngineFactory::modulePath(folder),
                               ModuleMediaEngineFactory::soundProgramPath(folder)}
                 : QStringList{QStringLiteral(TOCKARO_MEDIA_MODULE_FILE),
                               QStringLiteral(TOCKARO_SOUND_PROGRAM_FILE)};
    std::printf("media module and sound program %s\n", qPrintable(modulePaths.join(u' ')));
    return run(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TOCKARO_SOUNDS_DIR),
               modulePaths);
}
