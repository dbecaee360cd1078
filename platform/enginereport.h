#pragma once

#include "playback/mediaengine.h"

#include <QString>

// What an engine tells its listener of its status: each change once, and a
// failure once and for good, with its reason, however many errors the media
// framework raises for the file. Header only, as each media module is built
// apart.
class EngineReport {
public:
    using MediaStatus = MediaEngine::MediaStatus;

    void setListener(MediaEngineListener *listener) { m_listener = listener; }
    MediaEngineListener *listener() const { return m_listener; }
    MediaStatus status() const { return m_status; }
    QString error() const { return m_error; }

    void set(MediaStatus status)
    {
        if (m_status == status || m_status == MediaStatus::Failed)
            return;
        m_status = status;
        if (m_listener)
            m_listener->statusChanged(status);
    }

    void fail(const QString &error)
    {
        if (m_status == MediaStatus::Failed)
            return;
        m_error = error.isEmpty() ? QStringLiteral("The file cannot be played.") : error;
        set(MediaStatus::Failed);
    }

private:
    MediaEngineListener *m_listener = nullptr;
    MediaStatus m_status = MediaStatus::Loading;
    QString m_error;
};
