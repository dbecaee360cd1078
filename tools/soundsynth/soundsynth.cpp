// Writes the built-in alarm sounds and the hourly chime as 16-bit PCM WAV files.
// Usage: soundsynth <sounds-out-dir> <chime-wav-path>

#include "sounds.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

struct BuiltInSound {
    const char *fileName;
    synth::Signal (*make)();
};

constexpr std::array<BuiltInSound, 10> BuiltInSounds{{
    {"alarm.wav", &sounds::alarm1},
    {"alarm_3.wav", &sounds::alarm2},
    {"astalavista.wav", &sounds::astalavista},
    {"bells.wav", &sounds::bells},
    {"electronics.wav", &sounds::electronics},
    {"household.wav", &sounds::household},
    {"Maribell.wav", &sounds::maribell},
    {"Moo.wav", &sounds::moo},
    {"musical.wav", &sounds::musical},
    {"Ricochet.wav", &sounds::ricochet},
}};

// WAV fields are little-endian whatever the build machine is.
void putLittleEndian(std::ofstream &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFFU));
}

void writeWav(const std::filesystem::path &path, const synth::Signal &signal)
{
    constexpr std::uint32_t Channels = 1;
    constexpr std::uint32_t BytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(signal.size() * BytesPerSample);

    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    putLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLittleEndian(out, 16, 4); // size of the format block
    putLittleEndian(out, 1, 2);  // integer PCM
    putLittleEndian(out, Channels, 2);
    putLittleEndian(out, synth::SampleRate, 4);
    putLittleEndian(out, synth::SampleRate * Channels * BytesPerSample, 4);
    putLittleEndian(out, Channels * BytesPerSample, 2);
    putLittleEndian(out, 8 * BytesPerSample, 2);
    out.write("data", 4);
    putLittleEndian(out, dataBytes, 4);
    for (double sample : signal) {
        // finish() has left the peak at -3 dBFS, so rounding cannot reach the 16-bit limits.
        const auto value = static_cast<std::int16_t>(std::lround(sample * 32767.0));
        putLittleEndian(out, static_cast<std::uint16_t>(value), 2);
    }
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: soundsynth <sounds-out-dir> <chime-wav-path>\n";
        return 2;
    }
    try {
        const std::filesystem::path soundsDir = argv[1];
        const std::filesystem::path chimePath = argv[2];
        std::filesystem::create_directories(soundsDir);
        for (const BuiltInSound &sound : BuiltInSounds)
            writeWav(soundsDir / sound.fileName, sound.make());
        if (chimePath.has_parent_path())
            std::filesystem::create_directories(chimePath.parent_path());
        writeWav(chimePath, sounds::chime());
    } catch (const std::exception &error) {
        std::cerr << "soundsynth: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
