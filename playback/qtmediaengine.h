#pragma once

#include "playback/mediaengine.h"

// Makes Qt Multimedia engines: a QMediaPlayer with its sound on a
// QAudioOutput and its picture in a QVideoWidget laid over the video area.
class QtMediaEngineFactory final : public MediaEngineFactory {
public:
    std::unique_ptr<MediaEngine> create(QWidget &videoArea) override;
};
