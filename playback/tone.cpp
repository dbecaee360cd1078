#include "playback/tone.h"

#include "base/littleendian.h"

#include <cmath>
#include <numbers>

namespace {

constexpr int kRate = 22050;
constexpr double kPitch = 2000.0;
constexpr int kBeepMs = 100;
constexpr int kBeeps = 4;
constexpr int kLengthMs = 1400;
constexpr int kRampSamples = kRate / 500; // 2 ms each way, so no beep clicks

} // namespace

QByteArray alarmToneWav()
{
    const int samples = kRate * kLengthMs / 1000;
    const int beepSamples = kRate * kBeepMs / 1000;
    QByteArray wav;
    wav.reserve(44 + samples * 2);
    wav.append("RIFF");
    append32(wav, 36 + samples * 2);
    wav.append("WAVEfmt ");
    append32(wav, 16);
    append16(wav, 1); // PCM
    append16(wav, 1); // mono
    append32(wav, kRate);
    append32(wav, kRate * 2);
    append16(wav, 2);
    append16(wav, 16);
    wav.append("data");
    append32(wav, samples * 2);
    for (int i = 0; i < samples; ++i) {
        const int beep = i / (2 * beepSamples);
        const int inBeep = i % (2 * beepSamples);
        double value = 0;
        if (beep < kBeeps && inBeep < beepSamples) {
            const int edge = std::min(inBeep, beepSamples - 1 - inBeep);
            const double ramp = std::min(1.0, double(edge) / kRampSamples);
            value = 0.7 * ramp * std::sin(2 * std::numbers::pi * kPitch * i / kRate);
        }
        append16(wav, static_cast<quint16>(static_cast<qint16>(std::lround(value * 32767))));
    }
    return wav;
}
