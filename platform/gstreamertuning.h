#pragma once

// Keeps what GStreamer loads under Qt Multimedia small. Called once, before
// the first player is made; it changes only this process's plugin registry,
// never the registry cache on disk or other programs.
//
// - Qt's device monitor, started with the first player, loads every device
//   provider: cameras, capture cards and the Vulkan one, which brings the
//   graphics drivers and a shader compiler into the process for good (about
//   55 MB). The player only plays, so the providers that offer no sound
//   output are taken out.
// - libav's MP3 decoder and mpg123's share a rank, and GStreamer then takes
//   the first by name: libav's, whose codec libraries add some 30 MB and
//   150 ms to the first MP3 (the hourly chime is one). mpg123's is put first.
void keepGStreamerLight();

// Whether a device provider's class ("Sink/Source/Audio", "Source/Video")
// names sound output; the words may come in any order.
bool offersSoundOutput(const char *klass);
