#pragma once

#include "playback/mediaengine.h"

#include <QString>

#include <memory>

// Makes the player's engines with the media modules, libraries beside the
// program that it loads on the first play that needs each, not at start-up,
// so the idle clock holds no media framework; once loaded a module stays.
// Where there is an audio module, it plays every file that is not a video,
// on GStreamer alone, and the media module, which carries Qt Multimedia with
// its network, graphics and video libraries, is loaded for a video only;
// without one the media module plays every file.
//
// A module that cannot be loaded, or that lacks its entry point or cannot
// start, gives engines that fail at once, as an unplayable file does, so the
// player closes at its end check; the reason is the engines' error and is
// logged once.
class ModuleMediaEngineFactory final : public MediaEngineFactory {
public:
    // The modules' files; the platform's suffix may be left out.
    explicit ModuleMediaEngineFactory(const QString &mediaModulePath,
                                      const QString &audioModulePath = {});

    // Where the modules lie in a program folder; empty for an audio module
    // where the program is built without one.
    static QString modulePath(const QString &programFolder);
    static QString audioModulePath(const QString &programFolder);

    std::unique_ptr<MediaEngine> create(QWidget &videoArea, const QString &file) override;

private:
    struct Module {
        explicit Module(const QString &modulePath) : path(modulePath) {}

        QString path;
        bool loadTried = false;
        std::unique_ptr<MediaEngineFactory> engines;
        QString loadError;

        void load();
    };

    Module m_media;
    Module m_audio;
};
