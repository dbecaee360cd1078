#pragma once

// Keeps what GStreamer loads under Qt Multimedia small, and its first sound
// prompt. Called once, before the first player is made; it changes only this
// process's plugin registry and pipelines, never the registry cache on disk
// or other programs.
//
// - Qt's device monitor, started with the first player, loads every device
//   provider: cameras, capture cards and the Vulkan one, which brings the
//   graphics drivers and a shader compiler into the process for good (about
//   55 MB). The player only plays, so the providers that offer no sound
//   output are taken out.
// - libav's MP3 decoder and mpg123's share a rank, and GStreamer then takes
//   the first by name: libav's, whose codec libraries add some 30 MB and
//   150 ms to the first MP3 (the hourly chime is one). mpg123's is put first.
//
// It also takes out a delay before every file's first sound: Qt's player puts
// a stream selector before each output and has it follow the clock, which
// makes the selector pass for a live source of 20 ms. The whole pipeline
// then counts as live, the sound sink adds the latency of its own buffer
// (110 ms on PulseAudio) and writes each file's first sample that far into
// the stream, after silence: 130 ms. Each selector Qt makes is set to follow
// its active stream instead; with one stream of each kind there is nothing
// to switch between, and the sinks still keep sound and picture together
// by the clock.
//
// And it keeps the memory that GStreamer's streaming threads free in few
// malloc arenas, so that playing file after file does not spread it ever wider.
void keepGStreamerLight();

// Whether a device provider's class ("Sink/Source/Audio", "Source/Video")
// names sound output; the words may come in any order.
bool offersSoundOutput(const char *klass);
