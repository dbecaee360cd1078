#include "platform/soundprocess.h"

#include "base/logging.h"
#include "platform/enginereport.h"
#include "platform/soundpipe.h"
#include "playback/isvideo.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <utility>

namespace {

// How long the sound program stays with no engine left: the next item of a
// play list, a sound readied for an alarm and the next alarm of the same
// second come within it and find the program started.
constexpr int kUnusedMs = 5000;
// How long a sound program that was told to end may take before it is killed.
constexpr int kEndingMs = 5000;
// How long an asked position may go unanswered before the sound program is
// taken for hung (a decoder stuck on a hostile file holding up its event
// loop) and killed, so that the alarm goes on to its next sound.
constexpr int kAnswerMs = 10'000;

// The X11 window of the video area, made for it, which the sound program
// draws a video's picture into; 0 where the clock has no X11 windows (the
// offscreen platform, a Wayland session), and the picture is not shown.
WId pictureWindow(QWidget &videoArea)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    videoArea.setAttribute(Qt::WA_NativeWindow);
    return videoArea.winId();
}

// The video area while the sound program draws a picture in it: the pointer
// is hidden over the picture, and the picture is drawn again each time Qt has
// put the area's own paint over it (painted, shown again, uncovered), as the
// sound program draws at each frame and a paused video has no frame to come.
// An uncovered window is given its paint again without a paint event, on its
// native window's expose.
class PictureArea final : public QObject {
public:
    PictureArea(QWidget &videoArea, std::function<void()> repaint)
        : m_area(&videoArea), m_repaint(std::move(repaint))
    {
        videoArea.setCursor(Qt::BlankCursor);
        videoArea.installEventFilter(this);
        videoArea.windowHandle()->installEventFilter(this);
    }
    ~PictureArea() override
    {
        if (m_area)
            m_area->unsetCursor();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        // Once Qt has put its paint on the screen.
        if (event->type() == QEvent::Paint || event->type() == QEvent::Expose)
            QMetaObject::invokeMethod(this, m_repaint, Qt::QueuedConnection);
        return false;
    }

private:
    QPointer<QWidget> m_area;
    std::function<void()> m_repaint;
};

} // namespace

// Keeps what the sound program last told of its engine, and asks it for the
// position as it is read: the answer comes for the next reading, which the
// player makes at least once a second while it is open.
class SoundProcessEngine final : public MediaEngine {
public:
    SoundProcessEngine(SoundProcessEngines &engines, quint64 number)
        : m_engines(engines), m_number(number)
    {}
    ~SoundProcessEngine() override
    {
        ask("close");
        m_engines.removed(m_number);
    }

    void setListener(MediaEngineListener *listener) override { m_report.setListener(listener); }
    void setRepeat(bool on) override { ask("repeat", on ? 1 : 0); }
    void open(const QString &file) override { m_engines.send({"open", m_number, 0, file}); }
    void run() override { ask("run"); }
    void pause() override { ask("pause"); }
    void setVolume(int centibels) override
    {
        m_volume = centibels;
        ask("volume", centibels);
    }
    int volume() const override { return m_volume; }
    qint64 duration() const override { return m_duration; }
    qint64 position() const override
    {
        if (m_report.status() == MediaStatus::Ended)
            return m_duration;
        if (m_report.status() == MediaStatus::Failed)
            return m_position;
        if (!m_askedAt.isValid()) {
            m_askedAt.start();
            ask("position");
        } else if (m_askedAt.hasExpired(kAnswerMs)) {
            m_engines.notAnswering();
        }
        return m_position;
    }
    void seek(qint64 ms) override
    {
        m_position = ms;
        ask("seek", ms);
    }
    MediaStatus status() const override { return m_report.status(); }
    QString errorString() const override { return m_report.error(); }

    void told(const SoundLine &line)
    {
        if (line.verb == "duration") {
            m_duration = line.number;
            if (MediaEngineListener *listener = m_report.listener())
                listener->durationChanged(m_duration);
        } else if (line.verb == "position") {
            m_position = line.number;
            m_askedAt.invalidate();
        } else if (line.verb == "status" && line.number >= qint64(MediaStatus::Loading) &&
                   line.number <= qint64(MediaStatus::Failed)) {
            if (const auto status = MediaStatus(line.number); status == MediaStatus::Failed)
                m_report.fail(line.text);
            else
                m_report.set(status);
        }
    }

    void stopped(const QString &reason) { m_report.fail(reason); }

    void showPictureIn(QWidget &videoArea)
    {
        const WId window = pictureWindow(videoArea);
        m_engines.send({"window", m_number, qint64(window), {}});
        if (window)
            m_picture = std::make_unique<PictureArea>(videoArea, [this] { ask("expose"); });
    }

private:
    void ask(const char *verb, qint64 number = 0) const
    {
        m_engines.send({verb, m_number, number, {}});
    }

    SoundProcessEngines &m_engines;
    quint64 m_number;
    EngineReport m_report;
    int m_volume = 0;
    qint64 m_duration = 0;
    mutable qint64 m_position = 0;
    // Running while a position asked is unanswered.
    mutable QElapsedTimer m_askedAt;
    std::unique_ptr<PictureArea> m_picture;
};

SoundProcessEngines::SoundProcessEngines(QString program) : m_program(std::move(program))
{
    m_unused.setSingleShot(true);
    m_unused.setInterval(kUnusedMs);
    QObject::connect(&m_unused, &QTimer::timeout, [this] { endWhenUnused(); });
}

SoundProcessEngines::~SoundProcessEngines()
{
    // Ended as when unused, but waited for: the clock is ending.
    if (m_process) {
        m_process->closeWriteChannel();
        retire(m_process.release());
    }
    for (QProcess *ending : m_retired.findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
        if (ending->state() != QProcess::NotRunning && !ending->waitForFinished(kEndingMs)) {
            ending->kill();
            ending->waitForFinished(kEndingMs);
        }
    }
}

std::unique_ptr<MediaEngine> SoundProcessEngines::create(QWidget &videoArea, const QString &file)
{
    auto engine = std::make_unique<SoundProcessEngine>(*this, ++m_made);
    m_engines.insert(m_made, engine.get());
    m_unused.stop();
    if (!m_process)
        start();
    if (isvideo(file))
        engine->showPictureIn(videoArea);
    return engine;
}

void SoundProcessEngines::send(const SoundLine &line)
{
    // A program that stopped has failed its engines already.
    if (!m_process)
        return;
    m_process->write(encodeSoundLine(line));
    // Written now, not when the event loop comes to it: at an alarm's second
    // the loop has the new window to paint first.
    m_process->waitForBytesWritten(0);
}

void SoundProcessEngines::removed(quint64 number)
{
    m_engines.remove(number);
    if (m_engines.isEmpty() && m_process)
        m_unused.start();
}

void SoundProcessEngines::notAnswering()
{
    if (!m_process || m_hung)
        return;
    m_hung = true;
    m_process->kill();
}

void SoundProcessEngines::start()
{
    m_hung = false;
    m_process = std::make_unique<QProcess>();
    QProcess *process = m_process.get();
    // What GStreamer has to say goes where the clock's own messages go.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A program stopped before may still have its signals queued, or its
    // last lines to read before it is deleted.
    QObject::connect(process, &QProcess::readyReadStandardOutput, process, [this, process] {
        if (process == m_process.get())
            readTold();
    });
    // Queued, so that an engine that fails at once has its listener by then.
    QObject::connect(
        process, &QProcess::errorOccurred, process,
        [this, process](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart || process != m_process.get())
                return;
            m_startFailed = true;
            stopped(QStringLiteral("No sound program: %1").arg(process->errorString()));
        },
        Qt::QueuedConnection);
    QObject::connect(
        process, &QProcess::finished, process,
        [this, process](int code, QProcess::ExitStatus status) {
            if (process != m_process.get())
                return;
            if (m_hung)
                stopped(QStringLiteral("The sound program stopped answering."));
            else if (status == QProcess::CrashExit)
                stopped(QStringLiteral("The sound program crashed."));
            else
                stopped(QStringLiteral("The sound program stopped (status %1).").arg(code));
        },
        Qt::QueuedConnection);
    process->start(m_program, {});
}

void SoundProcessEngines::readTold()
{
    m_told.append(m_process->readAllStandardOutput());
    for (const SoundLine &line : takeSoundLines(m_told)) {
        // A listener told of a failure may have ended the program meanwhile.
        if (!m_process)
            return;
        if (SoundProcessEngine *engine = m_engines.value(line.engine))
            engine->told(line);
    }
}

void SoundProcessEngines::stopped(const QString &reason)
{
    qCWarning(lcPlayback).noquote() << reason;
    m_unused.stop();
    m_told.clear();
    // In a slot of its own, queued: it goes when the slot has returned.
    retire(m_process.release());
    // A listener may close other engines meanwhile.
    for (const quint64 number : m_engines.keys()) {
        if (SoundProcessEngine *engine = m_engines.value(number))
            engine->stopped(reason);
    }
}

void SoundProcessEngines::endWhenUnused()
{
    if (!m_engines.isEmpty() || !m_process)
        return;
    QProcess *ending = m_process.release();
    retire(ending);
    // It ends at the end of its input; one that hangs in its media framework is killed.
    ending->closeWriteChannel();
    QTimer::singleShot(kEndingMs, ending, [ending] { ending->kill(); });
}

void SoundProcessEngines::retire(QProcess *process)
{
    process->setParent(&m_retired);
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    // One that ended already has said so, and will not again.
    if (process->state() == QProcess::NotRunning)
        process->deleteLater();
    else
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
}
