#pragma once

#include "playback/mediaengine.h"

#include <QString>

#include <memory>

class SoundProcessEngines;

// Makes the player's engines. Where there is a sound program beside the
// program, it plays every file, videos too, in a process of its own
// (SoundProcessEngines), and the clock holds no media framework at all. The
// media module, a library beside the program that carries Qt Multimedia with
// its network, graphics and video libraries, is loaded on the first play
// that needs it, not at start-up; once loaded it stays. It plays every file
// where there is no sound program or the sound program cannot be started.
//
// A module that cannot be loaded, or that lacks its entry point or cannot
// start, gives engines that fail at once, as an unplayable file does, so the
// player closes at its end check; the reason is the engines' error and is
// logged once.
class ModuleMediaEngineFactory final : public MediaEngineFactory {
public:
    // The module's file, whose suffix may be left out, and the sound program's, empty for none.
    explicit ModuleMediaEngineFactory(const QString &mediaModulePath,
                                      const QString &soundProgramPath = {});
    ~ModuleMediaEngineFactory() override;

    // Where the module and the sound program lie in a program folder; empty
    // for a sound program where the program is built without one.
    static QString modulePath(const QString &programFolder);
    static QString soundProgramPath(const QString &programFolder);

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
    std::unique_ptr<SoundProcessEngines> m_sounds;
};
