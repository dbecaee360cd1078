#pragma once

#include "alarms/alarmrecord.h"
#include "playback/mediaengine.h"

#include <QList>

#include <algorithm>
#include <deque>

// What the player asked of one engine, kept by the factory after the engine goes.
struct EngineRequests {
    QString opened;
    QList<int> volumes;
    QList<qint64> seeks;
    bool alive = true;
};

// An engine whose file the test plays by hand.
class ScriptedEngine final : public MediaEngine {
public:
    explicit ScriptedEngine(EngineRequests &requests) : m_requests(requests) {}
    ~ScriptedEngine() override { m_requests.alive = false; }

    void setListener(MediaEngineListener *listener) override { m_listener = listener; }
    void open(const QString &file) override { m_requests.opened = file; }
    void run() override {}
    void pause() override {}
    void setVolume(int centibels) override { m_requests.volumes.append(m_volume = centibels); }
    int volume() const override { return m_volume; }
    qint64 duration() const override { return m_duration; }
    qint64 position() const override { return m_position; }
    void seek(qint64 ms) override
    {
        m_requests.seeks.append(m_position = ms);
        m_status = MediaStatus::Ready;
    }
    MediaStatus status() const override { return m_status; }
    QString errorString() const override { return {}; }

    void loaded(qint64 ms)
    {
        m_status = MediaStatus::Ready;
        m_listener->durationChanged(m_duration = ms);
    }
    void playTo(qint64 ms) { m_position = ms; }
    void reachEnd()
    {
        m_position = m_duration;
        m_status = MediaStatus::Ended;
    }

private:
    EngineRequests &m_requests;
    MediaEngineListener *m_listener = nullptr;
    int m_volume = 0;
    qint64 m_duration = 0, m_position = 0;
    MediaStatus m_status = MediaStatus::Loading;
};

struct ScriptedEngineFactory final : MediaEngineFactory {
    std::unique_ptr<MediaEngine> create(QWidget &) override
    {
        auto engine = std::make_unique<ScriptedEngine>(requests.emplace_back());
        last = engine.get();
        return engine;
    }
    int alive() const
    {
        return int(
            std::count_if(requests.begin(), requests.end(), [](auto &r) { return r.alive; }));
    }

    std::deque<EngineRequests> requests; // a deque keeps each in place as more come
    ScriptedEngine *last = nullptr;      // the newest; dangles once released
};

// An alarm file line: a daily alarm with this message at this time.
inline QByteArray alarmLine(const QString &message, const QString &time)
{
    AlarmRecord record;
    record.message = message;
    record.frequency = AlarmFrequency::Daily;
    record.timeText = time;
    record.alarmDate = QDate(2026, 12, 7);
    record.dayFlags = QStringLiteral("1111111");
    return formatAlarmLine(record, QLocale()).toLocal8Bit() + "\r\n";
}
