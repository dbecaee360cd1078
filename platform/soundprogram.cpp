// The sound program: plays the clock's sound files and videos on GStreamer,
// as the clock asks on its standard input, and tells how they go on its
// standard output (one SoundLine each way); a video's picture it draws into
// the clock's player window. The clock starts it when a sound is near and ends
// it by closing the pipe, so GStreamer, its plugins and the sound server's
// client leave with the sound and a file that crashes its decoder costs that
// file, not the clock. It ends with the clock, whatever way the clock ends.

#include "platform/gstaudioengine.h"
#include "platform/gstreamertuning.h"
#include "platform/soundpipe.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <glib.h>

#include <cerrno>
#include <map>
#include <memory>
#include <utility>

#include <unistd.h>
#if defined(__linux__)
#include <signal.h>
#include <sys/prctl.h>
#endif

namespace {

void tell(const SoundLine &line)
{
    const QByteArray bytes = encodeSoundLine(line);
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t now =
            ::write(STDOUT_FILENO, bytes.constData() + written, size_t(bytes.size() - written));
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0) {
            // The clock is gone.
            QCoreApplication::exit(0);
            return;
        }
        written += now;
    }
}

// One engine, which tells the clock how its file goes under the clock's number for it.
class Played final : public MediaEngineListener {
public:
    Played(quint64 number, std::unique_ptr<GstEngine> engine)
        : m_number(number), m_engine(std::move(engine))
    {
        m_engine->setListener(this);
    }

    GstEngine &engine() { return *m_engine; }

    void durationChanged(qint64 ms) override { tell({"duration", m_number, ms, {}}); }
    void statusChanged(PlayerLogic::MediaStatus status) override
    {
        tell({"status", m_number, qint64(status),
              status == PlayerLogic::MediaStatus::Failed ? m_engine->errorString() : QString()});
    }

private:
    quint64 m_number;
    std::unique_ptr<GstEngine> m_engine;
};

class SoundPlayer {
public:
    SoundPlayer() : m_requests(STDIN_FILENO, QSocketNotifier::Read)
    {
        QObject::connect(&m_requests, &QSocketNotifier::activated, [this] { read(); });
    }

private:
    void read()
    {
        char chunk[4096];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            return;
        if (got <= 0) {
            m_requests.setEnabled(false);
            QCoreApplication::exit(0);
            return;
        }
        m_pending.append(chunk, got);
        for (const SoundLine &line : takeSoundLines(m_pending))
            handle(line);
    }

    void handle(const SoundLine &line)
    {
        if (line.verb == "close") {
            m_played.erase(line.engine);
            return;
        }
        // A video's first line, which makes its engine.
        if (line.verb == "window") {
            if (!m_played.contains(line.engine))
                m_played[line.engine] =
                    std::make_unique<Played>(line.engine, makeGstVideoEngine(quint64(line.number)));
            return;
        }
        GstEngine &engine = played(line.engine);
        if (line.verb == "repeat")
            engine.setRepeat(line.number != 0);
        else if (line.verb == "open")
            engine.open(line.text);
        else if (line.verb == "run")
            engine.run();
        else if (line.verb == "pause")
            engine.pause();
        else if (line.verb == "volume")
            engine.setVolume(int(line.number));
        else if (line.verb == "seek")
            engine.seek(line.number);
        else if (line.verb == "position")
            tell({"position", line.engine, engine.position(), {}});
        else if (line.verb == "expose")
            engine.expose();
    }

    GstEngine &played(quint64 number)
    {
        std::unique_ptr<Played> &played = m_played[number];
        if (!played)
            played = std::make_unique<Played>(number, makeGstAudioEngine());
        return played->engine();
    }

    QSocketNotifier m_requests;
    QByteArray m_pending;
    std::map<quint64, std::unique_ptr<Played>> m_played;
};

} // namespace

int main(int argc, char *argv[])
{
#if defined(__linux__)
    // Gone with the clock, even when the clock is killed outright.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    QCoreApplication app(argc, argv);
    // The name the sound server's mixers show for the clock's sounds.
    g_set_application_name("Tockaro");
    if (!startGStreamerLean())
        return 2;
    SoundPlayer player;
    return QCoreApplication::exec();
}
