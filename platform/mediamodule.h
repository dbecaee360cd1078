#pragma once

#include "playback/mediaengine.h"

#include <QString>

#include <memory>

// Makes the player's engines with the media module, a library beside the
// program that carries Qt Multimedia. The program loads it on the first
// play, not at start-up, so the idle clock does not hold Qt Multimedia, its
// sound server client and its codecs; once loaded it stays.
//
// A module that cannot be loaded, or that lacks its entry point, gives
// engines that fail at once, as an unplayable file does, so the player closes
// at its end check; the reason is the engines' error and is logged once.
class ModuleMediaEngineFactory final : public MediaEngineFactory {
public:
    // The module's file; the platform's suffix may be left out.
    explicit ModuleMediaEngineFactory(const QString &modulePath);

    // Where the module lies in a program folder.
    static QString modulePath(const QString &programFolder);

    std::unique_ptr<MediaEngine> create(QWidget &videoArea) override;

private:
    void load();

    QString m_modulePath;
    bool m_loadTried = false;
    std::unique_ptr<MediaEngineFactory> m_engines;
    QString m_loadError;
};
