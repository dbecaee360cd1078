#pragma once

// Qt Multimedia watches the machine's devices from its first player on: its
// GStreamer device monitor loads every device provider that lists cameras,
// capture cards or video outputs, and the Vulkan one brings the graphics
// drivers and a shader compiler into the process for good (about 55 MB). The
// player only plays, so before the first player is made the providers that
// offer no sound output are taken out of this process's plugin registry. The
// registry cache on disk, and every other program, keep them.
void dropDeviceProvidersWithoutSoundOutput();

// Whether a device provider's class ("Sink/Source/Audio", "Source/Video")
// names sound output; the words may come in any order.
bool offersSoundOutput(const char *klass);
