#pragma once

#include "playback/mediaengine.h"

#include <QList>

#include <algorithm>
#include <deque>

// What the player asked of one engine, and whether the engine is still
// alive. The factory keeps it, so a test can read it after the player has
// let the engine go.
struct EngineRequests {
    QString opened;
    bool running = false;
    QList<int> volumes;
    QList<qint64> seeks;
    bool alive = true;
};

// An engine whose readings the test sets.
class ScriptedEngine final : public MediaEngine {
public:
    explicit ScriptedEngine(EngineRequests &requests) : m_requests(requests) {}
    ~ScriptedEngine() override { m_requests.alive = false; }

    void setListener(MediaEngineListener *listener) override { m_listener = listener; }
    void open(const QString &file) override { m_requests.opened = file; }
    void run() override { m_requests.running = true; }
    void pause() override { m_requests.running = false; }
    void setVolume(int centibels) override
    {
        m_volume = centibels;
        m_requests.volumes.append(centibels);
    }
    int volume() const override { return m_volume; }
    qint64 duration() const override { return m_duration; }
    qint64 position() const override { return m_position; }
    void seek(qint64 ms) override
    {
        m_requests.seeks.append(ms);
        m_position = ms;
        if (m_status == MediaStatus::Ended && m_requests.running)
            setStatus(MediaStatus::Ready);
    }
    MediaStatus status() const override { return m_status; }
    QString errorString() const override { return m_error; }

    // The engine has read the file.
    void loaded(qint64 durationMs)
    {
        m_duration = durationMs;
        if (m_listener)
            m_listener->durationChanged(durationMs);
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

private:
    void setStatus(MediaStatus status)
    {
        m_status = status;
        if (m_listener)
            m_listener->statusChanged(status);
    }

    EngineRequests &m_requests;
    MediaEngineListener *m_listener = nullptr;
    int m_volume = 0;
    qint64 m_duration = 0;
    qint64 m_position = 0;
    MediaStatus m_status = MediaStatus::Loading;
    QString m_error;
};

// Hands out scripted engines and keeps the requests of each, to show which
// are still alive.
class ScriptedEngineFactory final : public MediaEngineFactory {
public:
    std::unique_ptr<MediaEngine> create(QWidget &) override
    {
        requests.emplace_back();
        auto engine = std::make_unique<ScriptedEngine>(requests.back());
        m_last = engine.get();
        return engine;
    }

    const EngineRequests &lastRequests() const { return requests.back(); }

    // The newest engine, null once the player has let it go.
    ScriptedEngine *last() const
    {
        return requests.empty() || !requests.back().alive ? nullptr : m_last;
    }
    int made() const { return int(requests.size()); }
    int alive() const
    {
        return int(std::count_if(requests.begin(), requests.end(),
                                 [](const EngineRequests &r) { return r.alive; }));
    }

    std::deque<EngineRequests> requests; // a deque keeps each in place as more come

private:
    ScriptedEngine *m_last = nullptr;
};
