#pragma once

#include "playback/mediaengine.h"

#include <QMediaPlayer>

#include <memory>

class QAudioOutput;
class QVideoWidget;

// Qt Multimedia playing one file: a QMediaPlayer with its sound on a
// QAudioOutput and its picture in a QVideoWidget laid over the video area.
class QtMediaEngine final : public MediaEngine {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QtMediaEngine)

public:
    explicit QtMediaEngine(QWidget &videoArea);
    ~QtMediaEngine() override;

    void open(const QString &file) override;
    void run() override;
    void pause() override;
    void setVolume(int centibels) override;
    int volume() const override { return m_volume; }
    qint64 duration() const override;
    qint64 position() const override;
    void seek(qint64 ms) override;
    MediaStatus status() const override { return m_status; }
    QString errorString() const override { return m_error; }

    // The player underneath, to see what Qt was actually given.
    const QMediaPlayer &mediaPlayer() const { return *m_player; }

private:
    void mediaStatusChanged(QMediaPlayer::MediaStatus status);
    void setStatus(MediaStatus status);
    void fail(const QString &error);

    // Declared so that the player goes first and leaves its outputs unused.
    std::unique_ptr<QVideoWidget> m_video;
    std::unique_ptr<QAudioOutput> m_audio;
    std::unique_ptr<QMediaPlayer> m_player;
    int m_volume = 0;
    bool m_running = false;
    MediaStatus m_status = MediaStatus::Loading;
    QString m_error;
};

class QtMediaEngineFactory final : public MediaEngineFactory {
public:
    std::unique_ptr<MediaEngine> create(QWidget &videoArea) override;
};
