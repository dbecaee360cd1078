// Sound files played on GStreamer directly, behind the media engine
// interface. An alarm's sound, the hourly chime and the sound items of a
// playlist need no more than a decoder and the sound server's client; Qt
// Multimedia would bring its network, graphics and video libraries, its
// device watch and its state. Only the sound program runs this engine.

#include "platform/gstaudioengine.h"

#include "platform/enginereport.h"
#include "platform/playablefile.h"
#include "playback/mediaengine.h"
#include "playback/volume.h"

#include <QFile>
#include <QObject>

#include <gst/gst.h>

#include <algorithm>

namespace {

// One file on a pipeline of its own: uridecodebin ! audioconvert !
// audioresample ! volume ! autoaudiosink, any picture in the file left
// undecoded. A file that repeats plays as a loop of segments: at the end of
// each the file's source is sought back to its start without a flush, so the
// sink plays on without a gap, and no end is reported.
//
// The pipeline's messages come on its streaming threads and are taken to the
// engine's own thread as queued calls; there is no thread of the engine's and
// nothing is polled.
class GstAudioEngine final : public MediaEngine {
public:
    GstAudioEngine() = default;
    ~GstAudioEngine() override { tearDown(); }

    void setListener(MediaEngineListener *listener) override { m_report.setListener(listener); }
    void setRepeat(bool on) override { m_repeat = on; }
    void open(const QString &file) override;
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
    static GstBusSyncReply takeMessage(GstBus *, GstMessage *message, gpointer engine);
    static void linkSound(GstElement *, GstPad *pad, gpointer convert);

    void build();
    void tearDown();
    void messageArrived(quint64 pipeline, GstMessageType type, const QString &error);
    void prerolled();
    void loopAtEnd();
    bool seekTo(qint64 ms, GstSeekFlags flags);
    void learnDuration();

    // Receives the queued messages; going, it takes those still queued with it.
    QObject m_receiver;
    EngineReport m_report;
    QString m_file;
    GstElement *m_pipeline = nullptr;
    GstElement *m_volumeElement = nullptr;
    // Counts the pipelines built, so a message of one already gone finds no engine.
    quint64 m_pipelines = 0;
    int m_volume = 0;
    bool m_repeat = false;
    bool m_running = false;
    bool m_prerolled = false;
    bool m_looping = false;
    qint64 m_pendingSeek = 0;
    qint64 m_duration = 0;
};

void GstAudioEngine::open(const QString &file)
{
    if (const QString refused = refusedMediaFile(file); !refused.isEmpty()) {
        m_report.fail(refused);
        return;
    }
    m_file = file;
    build();
}

void GstAudioEngine::build()
{
    m_pipeline = gst_pipeline_new(nullptr);
    ++m_pipelines;
    m_prerolled = false;
    m_looping = false;
    GstElement *source = gst_element_factory_make("uridecodebin", nullptr);
    GstElement *convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement *resample = gst_element_factory_make("audioresample", nullptr);
    m_volumeElement = gst_element_factory_make("volume", nullptr);
    GstElement *sink = gst_element_factory_make("autoaudiosink", nullptr);
    const bool made = source && convert && resample && m_volumeElement && sink;
    for (GstElement *element : {source, convert, resample, m_volumeElement, sink}) {
        if (element)
            gst_bin_add(GST_BIN(m_pipeline), element);
    }
    if (!made || !gst_element_link_many(convert, resample, m_volumeElement, sink, nullptr)) {
        m_report.fail(QStringLiteral("GStreamer's elements for playing sound are missing."));
        return;
    }
    gchar *uri = gst_filename_to_uri(QFile::encodeName(m_file).constData(), nullptr);
    g_object_set(source, "uri", uri, nullptr);
    g_free(uri);
    g_signal_connect(source, "pad-added", G_CALLBACK(linkSound), convert);
    setVolume(m_volume);

    GstBus *bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, takeMessage, this, nullptr);
    gst_object_unref(bus);
    // Prerolled paused first, even when it is to run: a loop is set up on the
    // prerolled file, before anything reaches the sink.
    if (gst_element_set_state(m_pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        // After the reason the pipeline has already given, if it gave one.
        QMetaObject::invokeMethod(
            &m_receiver, [this] { m_report.fail(QString()); }, Qt::QueuedConnection);
    }
}

void GstAudioEngine::tearDown()
{
    if (!m_pipeline)
        return;
    // Stopped, the pipeline has joined its streaming threads: nothing calls
    // the handler any more.
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    GstBus *bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(m_pipeline);
    m_pipeline = nullptr;
    m_volumeElement = nullptr;
}

GstBusSyncReply GstAudioEngine::takeMessage(GstBus *, GstMessage *message, gpointer engine)
{
    auto *self = static_cast<GstAudioEngine *>(engine);
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    // The pipeline's own ASYNC_DONE comes once every element has prerolled.
    const bool wanted = type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS ||
                        type == GST_MESSAGE_SEGMENT_DONE || type == GST_MESSAGE_DURATION_CHANGED ||
                        (type == GST_MESSAGE_ASYNC_DONE &&
                         GST_MESSAGE_SRC(message) == GST_OBJECT(self->m_pipeline));
    QString error;
    if (type == GST_MESSAGE_ERROR) {
        GError *gerror = nullptr;
        gst_message_parse_error(message, &gerror, nullptr);
        error = QString::fromUtf8(gerror->message);
        g_error_free(gerror);
    }
    // A dropped message is the handler's to release; one kept would keep its
    // element, and with it the whole pipeline, alive for good.
    gst_message_unref(message);
    if (wanted) {
        QMetaObject::invokeMethod(
            &self->m_receiver,
            [self, pipeline = self->m_pipelines, type, error] {
                self->messageArrived(pipeline, type, error);
            },
            Qt::QueuedConnection);
    }
    return GST_BUS_DROP;
}

// decodebin adds a pad for each stream it has decoded; the first sound is played.
void GstAudioEngine::linkSound(GstElement *, GstPad *pad, gpointer convert)
{
    GstCaps *caps = gst_pad_query_caps(pad, nullptr);
    const bool sound =
        !gst_caps_is_empty(caps) &&
        g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/");
    gst_caps_unref(caps);
    GstPad *input = gst_element_get_static_pad(GST_ELEMENT(convert), "sink");
    if (sound && !gst_pad_is_linked(input))
        gst_pad_link(pad, input);
    gst_object_unref(input);
}

void GstAudioEngine::messageArrived(quint64 pipeline, GstMessageType type, const QString &error)
{
    if (pipeline != m_pipelines || !m_pipeline || m_report.status() == MediaStatus::Failed)
        return;
    switch (type) {
    case GST_MESSAGE_ERROR:
        m_report.fail(error);
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (!m_prerolled)
            prerolled();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        learnDuration();
        break;
    case GST_MESSAGE_SEGMENT_DONE:
        loopAtEnd();
        break;
    case GST_MESSAGE_EOS:
        m_report.set(MediaStatus::Ended);
        break;
    default:
        break;
    }
}

void GstAudioEngine::prerolled()
{
    m_prerolled = true;
    learnDuration();
    // A file that cannot be sought (MIDI) is not looped: it ends, and the
    // player seeks it back, which opens it afresh.
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (m_repeat)
        m_looping = seekTo(m_pendingSeek, GstSeekFlags(flags | GST_SEEK_FLAG_SEGMENT));
    if (!m_looping && m_pendingSeek > 0)
        seekTo(m_pendingSeek, flags);
    m_pendingSeek = 0;
    m_report.set(MediaStatus::Ready);
    if (m_running)
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
}

void GstAudioEngine::loopAtEnd()
{
    // Without a flush: what the sink holds of this play runs into the next.
    if (!m_repeat || !seekTo(0, GST_SEEK_FLAG_SEGMENT)) {
        m_looping = false;
        m_report.set(MediaStatus::Ended);
    }
}

bool GstAudioEngine::seekTo(qint64 ms, GstSeekFlags flags)
{
    return gst_element_seek(m_pipeline, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                            ms * GST_MSECOND, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
}

void GstAudioEngine::learnDuration()
{
    gint64 length = 0;
    if (!gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &length) || length <= 0)
        return;
    if (const qint64 ms = length / GST_MSECOND; ms != m_duration) {
        m_duration = ms;
        if (MediaEngineListener *listener = m_report.listener())
            listener->durationChanged(ms);
    }
}

void GstAudioEngine::run()
{
    m_running = true;
    if (m_pipeline && m_prerolled)
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
}

void GstAudioEngine::pause()
{
    m_running = false;
    if (m_pipeline && m_prerolled)
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
}

void GstAudioEngine::setVolume(int centibels)
{
    m_volume = centibels;
    if (m_volumeElement)
        g_object_set(m_volumeElement, "volume", Volume::linearFromCentibels(centibels), nullptr);
}

qint64 GstAudioEngine::position() const
{
    if (m_report.status() == MediaStatus::Ended)
        return m_duration;
    gint64 at = 0;
    if (!m_pipeline || !gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &at) || at < 0)
        return 0;
    const qint64 ms = at / GST_MSECOND;
    return m_duration > 0 ? std::min(ms, m_duration) : ms;
}

void GstAudioEngine::seek(qint64 ms)
{
    if (!m_pipeline || m_report.status() == MediaStatus::Failed)
        return;
    // From the end the file is opened afresh: an ended pipeline sought back
    // can stall on a real sound server.
    if (m_report.status() == MediaStatus::Ended) {
        tearDown();
        m_pendingSeek = ms;
        m_report.set(MediaStatus::Loading);
        build();
        return;
    }
    if (!m_prerolled) {
        m_pendingSeek = ms;
        return;
    }
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE |
                                    (m_looping ? GST_SEEK_FLAG_SEGMENT : 0));
    seekTo(ms, flags);
}

} // namespace

std::unique_ptr<MediaEngine> makeGstAudioEngine()
{
    return std::make_unique<GstAudioEngine>();
}
