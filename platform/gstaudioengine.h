#pragma once

#include "playback/mediaengine.h"

#include <memory>

// An engine that plays a file on GStreamer alone; GStreamer must have been
// started (startGStreamerLean).
class GstEngine : public MediaEngine {
public:
    // Draws a video's picture again, as a window painted over needs; nothing
    // for a sound.
    virtual void expose() = 0;
};

// For a sound file: any picture in it is left undecoded.
std::unique_ptr<GstEngine> makeGstAudioEngine();
// For a video: its picture is drawn into the X11 window `window`, scaled to
// it with its shape kept, or decoded and dropped in time where `window` is 0,
// so that its sound and its end still come when they should.
std::unique_ptr<GstEngine> makeGstVideoEngine(quint64 window);
