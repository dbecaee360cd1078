#pragma once

#include <QtGlobal>

#include <optional>

class QIODevice;

// Where the sound of a WAV file of plain PCM lies and how it is stored:
// integers of 8, 16, 24 or 32 bits or 32-bit floats, the kinds a sound output
// takes without a codec. The built-in sounds and the alarm tone are such files.
struct WaveLayout {
    enum class Sample { UInt8, Int16, Int24, Int32, Float32 };

    Sample sample = Sample::Int16;
    int channels = 0;
    int rate = 0;         // frames a second
    qint64 dataStart = 0; // the byte where the first frame begins
    qint64 frames = 0;    // whole frames in the file, at least one

    int bytesPerFrame() const;
    qint64 durationMs() const { return frames * 1000 / rate; }
};

// The layout read from the header of `file`, an open file; nothing when it is
// not a WAV of plain PCM (another format, compressed sound, a damaged or
// empty file). Reads the header only.
std::optional<WaveLayout> readWaveLayout(QIODevice &file);

// Converts `count` frames stored as `layout` says into floats from -1 to 1,
// the channels of each frame side by side.
void decodeFrames(const WaveLayout &layout, const char *bytes, qint64 count, float *out);
