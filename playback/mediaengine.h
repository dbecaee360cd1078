#pragma once

#include "playback/playerlogic.h"

#include <QString>

#include <memory>

class QWidget;

// What an engine tells about its file as it learns it. Calls come on the
// thread that owns the engine, possibly from inside the engine's own calls.
class MediaEngineListener {
public:
    virtual void durationChanged(qint64 ms) = 0;
    virtual void statusChanged(PlayerLogic::MediaStatus status) = 0;

protected:
    ~MediaEngineListener() = default;
};

// One file opened on a media engine. Volumes are in hundredths of a decibel
// (0 full, -10000 silent), times in milliseconds. No request fails loudly: a
// file that cannot be played ends in MediaStatus::Failed, reported once
// however many errors the engine raised for it.
//
// Engines may live in a library loaded at run time, built apart from the
// program. Everything here is pure or inline, so neither side needs code or
// meta-objects of the other.
class MediaEngine {
public:
    using MediaStatus = PlayerLogic::MediaStatus;

    MediaEngine() = default;
    MediaEngine(const MediaEngine &) = delete;
    MediaEngine &operator=(const MediaEngine &) = delete;
    virtual ~MediaEngine() = default;

    // Null for none. The listener must outlive the engine or be replaced first.
    virtual void setListener(MediaEngineListener *listener) = 0;
    // Whether the file plays again from its start at each end; set before open.
    // An engine that can loop without a gap does so and never reports the end;
    // the others report Ended, and the player seeks back to the start.
    virtual void setRepeat(bool) {}
    // Starts reading the file; the length and the status follow through the listener.
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
};

// Makes an engine for each file the player opens, so nothing of one file
// carries over to the next and a closed player holds no engine at all. The
// engine may be chosen for the file it is made for.
class MediaEngineFactory {
public:
    MediaEngineFactory() = default;
    MediaEngineFactory(const MediaEngineFactory &) = delete;
    MediaEngineFactory &operator=(const MediaEngineFactory &) = delete;
    virtual ~MediaEngineFactory() = default;

    // An engine for `file`, which it is then to open. A video, if the file
    // has one, fills `videoArea`; the engine must be destroyed before the area is.
    virtual std::unique_ptr<MediaEngine> create(QWidget &videoArea, const QString &file) = 0;
};

// A media module's one exported function: a new factory, which the caller
// owns, or null when the module cannot start. Both sides must come from the
// same compiler and Qt, as the modules are built with the program.
using MediaModuleEntry = MediaEngineFactory *(*)();
inline constexpr char kMediaModuleEntry[] = "tockaroMediaEngineFactory";
