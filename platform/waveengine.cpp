#include "platform/waveengine.h"

#include "platform/enginereport.h"
#include "platform/playablefile.h"
#include "platform/soundoutput.h"
#include "platform/wavefile.h"
#include "playback/volume.h"

#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr qint64 kBlockFrames = 4096;
constexpr int kMaxChannels = 8;
// The sound output is given this much ahead. It is filled from this thread's
// timers, which a busy machine (or a busy window) can hold up for the better
// part of a second (seen under Wine on a loaded machine: 600 ms, a gap in the
// sound with Qt's half second). A volume step is heard up to this much later,
// which a fade does not mind.
constexpr qint64 kAheadUs = 2'000'000;

// Writes one sample, -1 to 1, in the output's sample format.
char *put(QAudioFormat::SampleFormat format, float value, char *at)
{
    const float clamped = std::clamp(value, -1.0f, 1.0f);
    switch (format) {
    case QAudioFormat::UInt8:
        *at = static_cast<char>(128 + std::lround(clamped * 127));
        return at + 1;
    case QAudioFormat::Int16:
        qToLittleEndian(static_cast<qint16>(std::lround(clamped * 32767)), at);
        return at + 2;
    case QAudioFormat::Int32:
        qToLittleEndian(static_cast<qint32>(std::llround(clamped * 2147483647.0)), at);
        return at + 4;
    case QAudioFormat::Float:
        qToLittleEndian(clamped, at);
        return at + 4;
    case QAudioFormat::Unknown:
    case QAudioFormat::NSampleFormats:
        break;
    }
    return at;
}

// The frames of a WAV file as the sound output takes them: brought to its rate
// (by linear interpolation), its channels and its sample format on the way,
// read from the file a block at a time as the output asks. Looping, the last
// frame leads into the first as any other two do.
class WaveStream final : public QIODevice {
public:
    WaveStream(QFile &file, const WaveLayout &layout, const QAudioFormat &output)
        : m_file(file), m_layout(layout), m_output(output),
          m_block(std::size_t(kBlockFrames * layout.channels))
    {}

    void setLooping(bool on) { m_looping = on; }
    // Goes on from the file's frame `frame`, as if nothing had been read yet.
    void restartAt(qint64 frame)
    {
        m_startFrame = frame;
        m_framesRead = 0;
    }
    // The output's frames read since the last restart.
    qint64 framesRead() const { return m_framesRead; }
    // The file's frame that the output reaches `outputFrames` after the restart.
    qint64 fileFrameAfter(qint64 outputFrames) const
    {
        const qint64 frame = fileFrame(outputFrames);
        return m_looping ? frame % m_layout.frames : std::min(frame, m_layout.frames);
    }
    bool finished() const { return !m_looping && framesLeft() == 0; }
    QString error() const { return m_error; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        // A loop never ends; a second's worth at a time is plenty to offer.
        const qint64 frames = m_looping ? m_output.sampleRate() : framesLeft();
        return frames * m_output.bytesPerFrame() + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // The file's frame, not yet wrapped, and how far on to the next one, in
    // the output's frames since the restart. Whole numbers keep a long loop
    // exactly in step.
    qint64 fileFrame(qint64 outputFrames) const
    {
        return (m_startFrame * m_output.sampleRate() + outputFrames * m_layout.rate) /
               m_output.sampleRate();
    }
    float fraction(qint64 outputFrames) const
    {
        const qint64 rest = (m_startFrame * m_output.sampleRate() + outputFrames * m_layout.rate) %
                            m_output.sampleRate();
        return float(rest) / float(m_output.sampleRate());
    }
    qint64 framesLeft() const
    {
        const qint64 rate = m_output.sampleRate();
        const qint64 end =
            ((m_layout.frames - m_startFrame) * rate + m_layout.rate - 1) / m_layout.rate;
        return std::max<qint64>(0, end - m_framesRead);
    }
    bool frameAt(qint64 index, float *into);
    void mix(const float *in, char *&at) const;

    QFile &m_file;
    const WaveLayout m_layout;
    const QAudioFormat m_output;
    bool m_looping = false;
    qint64 m_startFrame = 0;
    qint64 m_framesRead = 0;
    std::vector<float> m_block;
    qint64 m_blockStart = -1;
    qint64 m_blockFrames = 0;
    QString m_error;
};

bool WaveStream::frameAt(qint64 index, float *into)
{
    if (index < m_blockStart || index >= m_blockStart + m_blockFrames) {
        const qint64 start = index / kBlockFrames * kBlockFrames;
        const qint64 frames = std::min(kBlockFrames, m_layout.frames - start);
        const qint64 bytes = frames * m_layout.bytesPerFrame();
        QByteArray raw;
        if (m_file.seek(m_layout.dataStart + start * m_layout.bytesPerFrame()))
            raw = m_file.read(bytes);
        if (raw.size() != bytes) {
            m_error = QStringLiteral("The file could not be read: %1").arg(m_file.errorString());
            m_blockStart = -1;
            m_blockFrames = 0;
            return false;
        }
        decodeFrames(m_layout, raw.constData(), frames, m_block.data());
        m_blockStart = start;
        m_blockFrames = frames;
    }
    const float *frame = m_block.data() + (index - m_blockStart) * m_layout.channels;
    std::copy(frame, frame + m_layout.channels, into);
    return true;
}

// One frame of the file's channels onto the output's: the first two go to the
// front left and right, a single one to both, the rest are left out; a single
// output takes the mean.
void WaveStream::mix(const float *in, char *&at) const
{
    const int channels = m_layout.channels;
    const int outputs = m_output.channelCount();
    float mean = 0;
    for (int c = 0; c < channels; ++c)
        mean += in[c] / float(channels);
    for (int c = 0; c < outputs; ++c) {
        float value = 0;
        if (outputs == 1)
            value = mean;
        else if (channels == 1)
            value = c < 2 ? in[0] : 0.0f;
        else if (c < channels)
            value = in[c];
        at = put(m_output.sampleFormat(), value, at);
    }
}

qint64 WaveStream::readData(char *data, qint64 maxSize)
{
    qint64 frames = maxSize / m_output.bytesPerFrame();
    if (!m_looping)
        frames = std::min(frames, framesLeft());
    float here[kMaxChannels];
    float next[kMaxChannels];
    float sample[kMaxChannels];
    char *at = data;
    for (qint64 i = 0; i < frames; ++i) {
        const qint64 n = m_framesRead + i;
        qint64 index = fileFrame(n);
        qint64 following = index + 1;
        if (m_looping) {
            index %= m_layout.frames;
            following %= m_layout.frames;
        } else {
            following = std::min(following, m_layout.frames - 1);
        }
        if (!frameAt(index, here) || !frameAt(following, next))
            return -1;
        const float f = fraction(n);
        for (int c = 0; c < m_layout.channels; ++c)
            sample[c] = here[c] + (next[c] - here[c]) * f;
        mix(sample, at);
    }
    m_framesRead += frames;
    return at - data;
}

// The file on a QAudioSink of the default sound output, in the output's mix
// format. The sink pulls the frames from the stream on this thread's timers;
// it runs dry at the end of a file that is not repeated, which is the end.
class WaveEngine final : public MediaEngine {
public:
    WaveEngine(std::unique_ptr<QFile> file, const WaveLayout &layout)
        : m_file(std::move(file)), m_layout(layout)
    {}

    void setListener(MediaEngineListener *listener) override { m_report.setListener(listener); }
    void setRepeat(bool on) override { m_repeat = on; }
    void open(const QString &) override;
    void run() override;
    void pause() override;
    void setVolume(int centibels) override;
    int volume() const override { return m_volume; }
    qint64 duration() const override { return m_duration; }
    qint64 position() const override;
    void seek(qint64 ms) override;
    MediaStatus status() const override { return m_report.status(); }
    QString errorString() const override { return m_report.error(); }

private:
    void start();
    void stateChanged(QAudio::State state);

    EngineReport m_report;
    const std::unique_ptr<QFile> m_file;
    const WaveLayout m_layout;
    // Declared so that the sink goes first, and the stream after it.
    std::unique_ptr<WaveStream> m_stream;
    std::unique_ptr<QAudioSink> m_sink;
    int m_volume = 0;
    qint64 m_duration = 0;
    bool m_repeat = false;
    bool m_running = false;
};

void WaveEngine::open(const QString &)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        m_report.fail(QStringLiteral("There is no sound output."));
        return;
    }
    QString error;
    const std::optional<QAudioFormat> format = outputMixFormat(device.id(), error);
    if (!format) {
        m_report.fail(error);
        return;
    }
    m_stream = std::make_unique<WaveStream>(*m_file, m_layout, *format);
    m_stream->setLooping(m_repeat);
    m_stream->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_sink = std::make_unique<QAudioSink>(device, *format);
    m_sink->setBufferSize(format->bytesForDuration(kAheadUs));
    m_sink->setVolume(Volume::linearFromCentibels(m_volume));
    QAudioSink *sink = m_sink.get();
    QObject::connect(sink, &QAudioSink::stateChanged, sink,
                     [this](QAudio::State state) { stateChanged(state); });
    m_duration = m_layout.durationMs();
    if (MediaEngineListener *listener = m_report.listener())
        listener->durationChanged(m_duration);
    m_report.set(MediaStatus::Ready);
}

void WaveEngine::start()
{
    m_sink->start(m_stream.get());
    if (m_sink->error() != QAudio::NoError)
        m_report.fail(QStringLiteral("The sound output could not be opened."));
}

void WaveEngine::run()
{
    m_running = true;
    if (!m_sink || m_report.status() == MediaStatus::Failed)
        return;
    if (m_sink->state() == QAudio::StoppedState)
        start();
    else if (m_sink->state() == QAudio::SuspendedState)
        m_sink->resume();
}

void WaveEngine::pause()
{
    m_running = false;
    if (m_sink && (m_sink->state() == QAudio::ActiveState || m_sink->state() == QAudio::IdleState))
        m_sink->suspend();
}

void WaveEngine::setVolume(int centibels)
{
    m_volume = centibels;
    if (m_sink)
        m_sink->setVolume(Volume::linearFromCentibels(centibels));
}

qint64 WaveEngine::position() const
{
    if (!m_stream)
        return 0;
    if (m_report.status() == MediaStatus::Ended)
        return m_duration;
    // What the output holds has been read but not yet heard.
    qint64 held = 0;
    if (m_sink->state() != QAudio::StoppedState)
        held = std::max<qint64>(0, m_sink->bufferSize() - m_sink->bytesFree());
    const qint64 heard =
        std::max<qint64>(0, m_stream->framesRead() - held / m_sink->format().bytesPerFrame());
    return m_stream->fileFrameAfter(heard) * 1000 / m_layout.rate;
}

void WaveEngine::seek(qint64 ms)
{
    if (!m_stream || m_report.status() == MediaStatus::Failed)
        return;
    // What the output still holds of the old place is dropped with it.
    m_sink->stop();
    m_stream->restartAt(std::clamp<qint64>(ms, 0, m_duration) * m_layout.rate / 1000);
    m_report.set(MediaStatus::Ready);
    if (m_running)
        start();
}

void WaveEngine::stateChanged(QAudio::State state)
{
    // The sink says its state before its error: the stream knows why it stopped.
    if (state != QAudio::IdleState || m_report.status() == MediaStatus::Failed)
        return;
    if (!m_stream->error().isEmpty())
        m_report.fail(m_stream->error());
    else if (m_stream->finished())
        m_report.set(MediaStatus::Ended);
    else
        // The stream always has frames to give, so the output has stopped
        // taking them (its device went away): it would wait for good.
        m_report.fail(QStringLiteral("The sound output stopped taking the sound."));
}

} // namespace

std::unique_ptr<MediaEngine> makeWaveEngine(const QString &file)
{
    if (!refusedMediaFile(file).isEmpty())
        return nullptr;
    auto opened = std::make_unique<QFile>(file);
    if (!opened->open(QIODevice::ReadOnly))
        return nullptr;
    const std::optional<WaveLayout> layout = readWaveLayout(*opened);
    if (!layout)
        return nullptr;
    return std::make_unique<WaveEngine>(std::move(opened), *layout);
}
