#pragma once

#include "playback/playrequest.h"

#include <QObject>

// The program's one player as the alarms use it. The alarm engine, the hourly
// chime and the editor's previews share it: whatever it is asked to play
// replaces what played.
class AlarmSound : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AlarmSound)

public:
    using QObject::QObject;

    virtual void play(const PlayRequest &request) = 0;
    // Readies the way for a later play of the request, silent, while nothing plays.
    virtual void ready(const PlayRequest &request) = 0;
    virtual void dropReadied() = 0;
    // Lowers the volume of what plays step by step and stops once it is silent.
    virtual void fadeOut() = 0;
    virtual void stop() = 0;
    // Something plays: between a play and closed().
    virtual bool isPlaying() const = 0;

Q_SIGNALS:
    // Whatever played has ended: at its end, by the user or by the program.
    void closed();
    // `file` cannot be played; closed() follows.
    void failed(const QString &file);
    // A fade-out has reached silence; closed() came just before.
    void fadedOut();
};
