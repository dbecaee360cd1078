#pragma once

#include "playback/mediaengine.h"

#include <memory>

// An engine that plays a sound file on GStreamer alone; GStreamer must have
// been started (startGStreamerLean).
std::unique_ptr<MediaEngine> makeGstAudioEngine();
