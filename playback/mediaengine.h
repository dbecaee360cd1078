#pragma once

#include "playback/playerlogic.h"

#include <QObject>
#include <QString>

#include <memory>

class QWidget;

// One file opened on a media engine. Volumes are in hundredths of a decibel
// (0 full, -10000 silent), times in milliseconds. No request fails loudly: a
// file that cannot be played ends in MediaStatus::Failed, reported once
// however many errors the engine raised for it.
class MediaEngine : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MediaEngine)

public:
    using MediaStatus = PlayerLogic::MediaStatus;

    MediaEngine() = default;
    ~MediaEngine() override = default;

    // Starts reading the file; the length and the status follow as signals.
    virtual void open(const QString &file) = 0;
    virtual void run() = 0;
    virtual void pause() = 0;
    // The value given is the value read back, whatever the engine can render.
    virtual void setVolume(int centibels) = 0;
    virtual int volume() const = 0;
    // 0 until the length is known.
    virtual qint64 duration() const = 0;
    // At the end of the file the position stays at the length.
    virtual qint64 position() const = 0;
    // While running, playback goes on from the new place, also after the end.
    virtual void seek(qint64 ms) = 0;
    virtual MediaStatus status() const = 0;
    // Why the file failed; empty unless the status is Failed.
    virtual QString errorString() const = 0;

Q_SIGNALS:
    void durationChanged(qint64 ms);
    void statusChanged(PlayerLogic::MediaStatus status);
};

// Makes an engine for each file the player opens, so nothing of one file
// carries over to the next and a closed player holds no engine at all.
class MediaEngineFactory {
public:
    virtual ~MediaEngineFactory() = default;

    // A video, if the file has one, fills `videoArea`; the engine must be
    // destroyed before the area is.
    virtual std::unique_ptr<MediaEngine> create(QWidget &videoArea) = 0;
};
