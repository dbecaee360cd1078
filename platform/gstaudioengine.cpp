// Sound files and videos played on GStreamer directly, behind the media
// engine interface. An alarm's sound, the hourly chime and a playlist's items
// need no more than a decoder, the sound server's client and, for a video, an
// X11 window to draw into; Qt Multimedia would bring its network, graphics
// and video libraries, its device watch and its state. Only the sound program
// runs this engine.

#include "platform/gstaudioengine.h"

#include "platform/enginereport.h"
#include "platform/playablefile.h"
#include "playback/mediaengine.h"
#include "playback/volume.h"

#include <QFile>
#include <QObject>

#include <gst/gst.h>
#include <gst/video/videooverlay.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <optional>

namespace {

// The kind of what a stream that decodebin found holds: "audio", "video", ...
QByteArray streamKind(GstPad *pad)
{
    GstCaps *caps = gst_pad_query_caps(pad, nullptr);
    const QByteArray type =
        gst_caps_is_empty(caps)
            ? QByteArray()
            : QByteArray(gst_structure_get_name(gst_caps_get_structure(caps, 0)));
    gst_caps_unref(caps);
    return type.left(type.indexOf('/'));
}

// One file on a pipeline of its own: uridecodebin ! audioconvert !
// audioresample ! volume ! autoaudiosink, and for a video uridecodebin !
// videoconvert ! videoscale ! ximagesink beside it. A file that repeats plays
// as a loop of segments: at the end of each the file's source is sought back
// to its start without a flush, so the sinks play on without a gap, and no
// end is reported.
//
// The pipeline's messages come on its streaming threads and are taken to the
// engine's own thread as queued calls; there is no thread of the engine's and
// nothing is polled.
class GstAudioEngine final : public GstEngine {
public:
    // Without a picture for a sound file; for a video, the window it is drawn
    // into, 0 for none.
    explicit GstAudioEngine(std::optional<quint64> picture) : m_picture(picture) {}
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
    void expose() override;

private:
    static GstBusSyncReply takeMessage(GstBus *, GstMessage *message, gpointer engine);
    static void streamAdded(GstElement *, GstPad *pad, gpointer engine);

    void build();
    // The branches a stream plays on; each returns its first element, or
    // null when GStreamer lacks one of its elements.
    GstElement *addSoundBranch();
    GstElement *addPictureBranch();
    GstElement *addBranch(std::initializer_list<GstElement *> elements);
    void tearDown();
    void messageArrived(quint64 pipeline, GstMessageType type, const QString &error);
    void prerolled();
    void loopAtEnd();
    bool seekTo(qint64 ms, GstSeekFlags flags);
    void learnDuration();

    // Receives the queued messages; going, it takes those still queued with it.
    QObject m_receiver;
    EngineReport m_report;
    const std::optional<quint64> m_picture;
    QString m_file;
    GstElement *m_pipeline = nullptr;
    // Held by the engine as well, as a video's sound may come after its
    // volume is set, or not at all.
    GstElement *m_volumeElement = nullptr;
    // A sound file's branch is there from the start, so that the sound server
    // is reached while the file is still being read; a video's are added as
    // its streams are found, as a video may have no sound.
    GstElement *m_soundInput = nullptr;
    std::atomic_bool m_soundAdded = false;
    std::atomic_bool m_pictureAdded = false;
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
    m_soundAdded = false;
    m_pictureAdded = false;
    GstElement *source = gst_element_factory_make("uridecodebin", nullptr);
    m_volumeElement = gst_element_factory_make("volume", nullptr);
    if (m_volumeElement)
        gst_object_ref_sink(m_volumeElement);
    if (source)
        gst_bin_add(GST_BIN(m_pipeline), source);
    if (!m_picture)
        m_soundInput = addSoundBranch();
    if (!source || !m_volumeElement || (!m_picture && !m_soundInput)) {
        m_report.fail(QStringLiteral("GStreamer's elements for playing sound are missing."));
        return;
    }
    gchar *uri = gst_filename_to_uri(QFile::encodeName(m_file).constData(), nullptr);
    g_object_set(source, "uri", uri, nullptr);
    g_free(uri);
    g_signal_connect(source, "pad-added", G_CALLBACK(streamAdded), this);
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

GstElement *GstAudioEngine::addSoundBranch()
{
    return addBranch({gst_element_factory_make("audioconvert", nullptr),
                      gst_element_factory_make("audioresample", nullptr), m_volumeElement,
                      gst_element_factory_make("autoaudiosink", nullptr)});
}

GstElement *GstAudioEngine::addPictureBranch()
{
    if (*m_picture == 0) {
        // Shown nowhere, but in time: a video without sound still lasts its length.
        GstElement *sink = gst_element_factory_make("fakesink", nullptr);
        if (sink)
            g_object_set(sink, "sync", TRUE, nullptr);
        return addBranch({sink});
    }
    // Drawn by the processor, which any X server takes; the picture is small.
    GstElement *sink = gst_element_factory_make("ximagesink", nullptr);
    if (sink) {
        // The window is the clock's, and so are its events.
        gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(sink), FALSE);
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), guintptr(*m_picture));
    }
    return addBranch({gst_element_factory_make("videoconvert", nullptr),
                      gst_element_factory_make("videoscale", nullptr), sink});
}

GstElement *GstAudioEngine::addBranch(std::initializer_list<GstElement *> elements)
{
    bool made = true;
    for (GstElement *element : elements) {
        made = made && element;
        if (element)
            gst_bin_add(GST_BIN(m_pipeline), element);
    }
    if (!made)
        return nullptr;
    for (const auto *element = elements.begin(); element + 1 != elements.end(); ++element) {
        if (!gst_element_link(element[0], element[1]))
            return nullptr;
    }
    // Added to a pipeline already on its way to playing, when a stream is found.
    for (GstElement *element : elements)
        gst_element_sync_state_with_parent(element);
    return *elements.begin();
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
    if (m_volumeElement)
        gst_object_unref(m_volumeElement);
    m_volumeElement = nullptr;
    m_soundInput = nullptr;
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

// decodebin adds a pad for each stream it has decoded: the first sound is
// played, and a video's first picture shown.
void GstAudioEngine::streamAdded(GstElement *source, GstPad *pad, gpointer engine)
{
    auto *self = static_cast<GstAudioEngine *>(engine);
    const QByteArray kind = streamKind(pad);
    const char *missing = nullptr;
    GstElement *input = nullptr;
    if (kind == "audio" && !self->m_picture) {
        input = self->m_soundInput;
    } else if (kind == "audio" && !self->m_soundAdded.exchange(true)) {
        input = self->addSoundBranch();
        missing = "playing sound";
    } else if (kind == "video" && self->m_picture && !self->m_pictureAdded.exchange(true)) {
        input = self->addPictureBranch();
        missing = "showing pictures";
    }
    if (!input) {
        if (missing)
            GST_ELEMENT_ERROR(source, CORE, MISSING_PLUGIN,
                              ("GStreamer's elements for %s are missing.", missing), (nullptr));
        return;
    }
    GstPad *sink = gst_element_get_static_pad(input, "sink");
    if (!gst_pad_is_linked(sink))
        gst_pad_link(pad, sink);
    gst_object_unref(sink);
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

void GstAudioEngine::expose()
{
    if (!m_pipeline)
        return;
    if (GstElement *sink = gst_bin_get_by_interface(GST_BIN(m_pipeline), GST_TYPE_VIDEO_OVERLAY)) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink));
        gst_object_unref(sink);
    }
}

} // namespace

std::unique_ptr<GstEngine> makeGstAudioEngine()
{
    return std::make_unique<GstAudioEngine>(std::nullopt);
}

std::unique_ptr<GstEngine> makeGstVideoEngine(quint64 window)
{
    return std::make_unique<GstAudioEngine>(window);
}
