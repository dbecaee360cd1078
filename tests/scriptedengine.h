#pragma once

#include "playback/mediaengine.h"

#include <QList>
#include <QSet>

#include <algorithm>
#include <deque>

// One file on a scripted engine: what the player asked, what the test makes it report; kept
// by the factory after the engine goes.
struct EngineScript {
    static constexpr qint64 kDuration = 10'000;
    QString opened;
    QList<int> volumes;
    QList<qint64> seeks;
    qint64 position = 0;
    MediaEngine::MediaStatus status = MediaEngine::MediaStatus::Ready;
    bool running = false;
    bool repeat = false; // what the engine was told, not what it did
    bool alive = true;
    MediaEngineListener *listener = nullptr;
    // As an engine that never reports its end; told, as one that does.
    void reachEnd(bool told = false)
    {
        position = kDuration;
        setStatus(MediaEngine::MediaStatus::Ended, told);
    }
    // Tells the player at once, as a real engine does.
    void fail() { setStatus(MediaEngine::MediaStatus::Failed, true); }
    void setStatus(MediaEngine::MediaStatus to, bool told)
    {
        status = to;
        if (told && alive && listener)
            listener->statusChanged(status);
    }
};

class ScriptedEngine final : public MediaEngine {
public:
    ScriptedEngine(EngineScript &script, const QSet<QString> &failing)
        : m_script(script), m_failing(failing)
    {}
    ~ScriptedEngine() override { m_script.alive = false; }

    void setListener(MediaEngineListener *listener) override { m_script.listener = listener; }
    void setRepeat(bool on) override { m_script.repeat = on; }
    void open(const QString &file) override
    {
        m_script.opened = file;
        if (m_failing.contains(file))
            m_script.fail();
    }
    void run() override { m_script.running = true; }
    void pause() override { m_script.running = false; }
    void setVolume(int centibels) override { m_script.volumes.append(centibels); }
    int volume() const override { return m_script.volumes.value(m_script.volumes.size() - 1); }
    // Known once the file is open, as a real engine learns it.
    qint64 duration() const override
    {
        return m_script.status == MediaStatus::Loading ? 0 : EngineScript::kDuration;
    }
    qint64 position() const override { return m_script.position; }
    void seek(qint64 ms) override
    {
        m_script.seeks.append(m_script.position = ms);
        m_script.status = MediaStatus::Ready;
    }
    MediaStatus status() const override { return m_script.status; }
    QString errorString() const override { return {}; }

private:
    EngineScript &m_script;
    const QSet<QString> &m_failing;
};

struct ScriptedEngineFactory final : MediaEngineFactory {
    std::unique_ptr<MediaEngine> create(QWidget &, const QString &) override
    {
        return std::make_unique<ScriptedEngine>(scripts.emplace_back(), failing);
    }
    int alive() const
    {
        return int(std::count_if(scripts.begin(), scripts.end(), [](auto &s) { return s.alive; }));
    }
    std::deque<EngineScript> scripts; // a deque keeps each in place as more come
    QSet<QString> failing;            // files that cannot be played
};
