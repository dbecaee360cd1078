#pragma once

#include "playback/mediaengine.h"

#include <QList>
#include <QPointer>

#include <algorithm>

// An engine whose readings the test sets, and which remembers what the
// player asked of it.
class ScriptedEngine final : public MediaEngine {
public:
    void open(const QString &file) override { opened = file; }
    void run() override { running = true; }
    void pause() override { running = false; }
    void setVolume(int centibels) override
    {
        m_volume = centibels;
        volumes.append(centibels);
    }
    int volume() const override { return m_volume; }
    qint64 duration() const override { return m_duration; }
    qint64 position() const override { return m_position; }
    void seek(qint64 ms) override
    {
        seeks.append(ms);
        m_position = ms;
        if (m_status == MediaStatus::Ended && running)
            setStatus(MediaStatus::Ready);
    }
    MediaStatus status() const override { return m_status; }
    QString errorString() const override { return m_error; }

    // The engine has read the file.
    void loaded(qint64 durationMs)
    {
        m_duration = durationMs;
        Q_EMIT durationChanged(durationMs);
        setStatus(MediaStatus::Ready);
    }
    void playTo(qint64 ms) { m_position = ms; }
    void reachEnd()
    {
        m_position = m_duration;
        setStatus(MediaStatus::Ended);
    }
    void fail(const QString &error)
    {
        m_error = error;
        setStatus(MediaStatus::Failed);
    }

    QString opened;
    bool running = false;
    QList<int> volumes;
    QList<qint64> seeks;

private:
    void setStatus(MediaStatus status)
    {
        m_status = status;
        Q_EMIT statusChanged(status);
    }

    int m_volume = 0;
    qint64 m_duration = 0;
    qint64 m_position = 0;
    MediaStatus m_status = MediaStatus::Loading;
    QString m_error;
};

// Hands out scripted engines and keeps an eye on each, to show which are
// still alive.
class ScriptedEngineFactory final : public MediaEngineFactory {
public:
    std::unique_ptr<MediaEngine> create(QWidget &) override
    {
        auto engine = std::make_unique<ScriptedEngine>();
        made.append(engine.get());
        return engine;
    }

    // The newest engine, null once the player has let it go.
    ScriptedEngine *last() const { return made.isEmpty() ? nullptr : made.last().data(); }
    int alive() const
    {
        return int(
            std::count_if(made.begin(), made.end(), [](const auto &e) { return !e.isNull(); }));
    }

    QList<QPointer<ScriptedEngine>> made;
};
