#pragma once

// Keeps what GStreamer loads small, and its first sound prompt. Called before
// the first engine is made; each changes only this process's plugin registry
// and pipelines, never the registry cache on disk or other programs.

// Starts GStreamer, unless it runs already, and false when it cannot:
// - libav's MP3 decoder and mpg123's share a rank, and GStreamer then takes
//   the first by name: libav's, whose codec libraries add some 30 MB and
//   150 ms to the first MP3 (the hourly chime is one). mpg123's is put first.
// - The memory that GStreamer's streaming threads free is kept in few malloc
//   arenas, so that playing file after file does not spread it ever wider.
bool startGStreamerLean();

// The same for Qt Multimedia's player on GStreamer, and more:
// - Qt's device monitor, started with the first player, loads every device
//   provider: cameras, capture cards and the Vulkan one, which brings the
//   graphics drivers and a shader compiler into the process for good (about
//   55 MB). The player only plays, so the providers that offer no sound
//   output are taken out.
// - It takes out a delay before every file's first sound: Qt's player puts a
//   stream selector before each output and has it follow the clock, which
//   makes the selector pass for a live source of 20 ms. The whole pipeline
//   then counts as live, the sound sink adds the latency of its own buffer
//   (110 ms on PulseAudio) and writes each file's first sample that far into
//   the stream, after silence: 130 ms. Each selector Qt makes is set to
//   follow its active stream instead; with one stream of each kind there is
//   nothing to switch between, and the sinks still keep sound and picture
//   together by the clock.
void keepGStreamerLight();

// Whether a device provider's class ("Sink/Source/Audio", "Source/Video")
// names sound output; the words may come in any order.
bool offersSoundOutput(const char *klass);
