#include "dsp.h"

namespace synth {

void addStrike(Signal &mix, double start, double hz, std::span<const Partial> partials, double gain,
               double decayScale)
{
    // A few milliseconds of rise: instant onsets click, and the soft mallets of these
    // instruments never start a partial at full strength anyway.
    constexpr double Attack = 0.002;
    for (const Partial &partial : partials) {
        const double partialHz = hz * partial.ratio;
        if (partialHz >= 0.45 * SampleRate)
            continue;
        const double decay = partial.decay * decayScale;
        // Past seven time constants a partial is below -60 dB and no longer heard.
        addVoice(mix, start, Attack + 7.0 * decay, [&](double t) {
            return gain * partial.amplitude * strikeEnvelope(t, Attack, decay) *
                   std::sin(TwoPi * partialHz * t);
        });
    }
}

void addKnock(Signal &mix, double start, double hz, double decay, double gain, std::uint64_t seed)
{
    Noise noise(seed);
    Biquad band;
    band.setBandPass(hz, 1.5);
    addVoice(mix, start, 7.0 * decay, [&](double t) {
        return gain * strikeEnvelope(t, 0.0005, decay) * band.process(noise.next());
    });
}

void finish(Signal &signal, double fadeOutSeconds)
{
    constexpr double FadeInSeconds = 0.005;
    const double peakLevel = std::pow(10.0, -3.0 / 20.0);

    const std::size_t fadeIn = std::min(toSamples(FadeInSeconds), signal.size());
    const std::size_t fadeOut = std::min(toSamples(fadeOutSeconds), signal.size());
    for (std::size_t i = 0; i < fadeIn; ++i)
        signal[i] *=
            0.5 - 0.5 * std::cos(Pi * static_cast<double>(i) / static_cast<double>(fadeIn));
    for (std::size_t i = 0; i < fadeOut; ++i)
        signal[signal.size() - 1 - i] *=
            0.5 - 0.5 * std::cos(Pi * static_cast<double>(i) / static_cast<double>(fadeOut));

    double peak = 0.0;
    for (double sample : signal)
        peak = std::max(peak, std::abs(sample));
    if (peak > 0.0) {
        for (double &sample : signal)
            sample *= peakLevel / peak;
    }
}

} // namespace synth
