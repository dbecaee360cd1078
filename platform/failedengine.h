#pragma once

#include "playback/mediaengine.h"

#include <QString>

#include <utility>

// Stands in for an engine that cannot be made: its file fails on opening,
// with the reason, as an unplayable file does, so the sound is given up and
// the alarm goes on to its next one. Header only, as each media module is
// built apart.
class FailedMediaEngine final : public MediaEngine {
public:
    explicit FailedMediaEngine(QString reason) : m_error(std::move(reason)) {}

    void setListener(MediaEngineListener *listener) override { m_listener = listener; }
    void open(const QString &) override
    {
        // Said on open, as a real engine says it once it has tried the file.
        if (m_listener && !m_told) {
            m_told = true;
            m_listener->statusChanged(MediaStatus::Failed);
        }
    }
    void run() override {}
    void pause() override {}
    void setVolume(int centibels) override { m_volume = centibels; }
    int volume() const override { return m_volume; }
    qint64 duration() const override { return 0; }
    qint64 position() const override { return 0; }
    void seek(qint64) override {}
    MediaStatus status() const override { return MediaStatus::Failed; }
    QString errorString() const override { return m_error; }

private:
    QString m_error;
    MediaEngineListener *m_listener = nullptr;
    bool m_told = false;
    int m_volume = 0;
};
