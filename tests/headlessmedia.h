#pragma once

#include <QByteArray>
#include <QtGlobal>

// The real engine without a sound card: the GStreamer backend (the other one
// crashes without an audio device) playing to the fake sink. Read when the
// first engine is made; ctest sets them itself, this covers a run by hand.
inline void useHeadlessMedia()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    if (qEnvironmentVariableIsEmpty("GST_PLUGIN_FEATURE_RANK"))
        qputenv("GST_PLUGIN_FEATURE_RANK", "fakeaudiosink:MAX");
}
