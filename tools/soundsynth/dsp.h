#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

// Small building blocks for the built-in sounds. Everything works in double at one sample rate;
// only the file writer turns samples into 16-bit integers.
namespace synth {

constexpr int SampleRate = 44100;
constexpr double Pi = std::numbers::pi;
constexpr double TwoPi = 2.0 * Pi;

// Mono samples at whatever level the sound happens to reach; finish() sets the level.
using Signal = std::vector<double>;

inline std::size_t toSamples(double seconds)
{
    return static_cast<std::size_t>(std::lround(seconds * SampleRate));
}

inline double timeOf(std::size_t index)
{
    return static_cast<double>(index) / SampleRate;
}

inline double noteHz(double midiNote)
{
    return 440.0 * std::exp2((midiNote - 69.0) / 12.0);
}

// 0 before `from`, 1 after `to`, an S-curve between: for glides that start and end gently.
inline double smoothStep(double from, double to, double t)
{
    const double x = std::clamp((t - from) / (to - from), 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

// Smooth rise over `attack`, then exponential decay with time constant `decay`: anything struck.
inline double strikeEnvelope(double t, double attack, double decay)
{
    if (t < 0.0)
        return 0.0;
    if (t < attack) {
        const double rise = std::sin(0.5 * Pi * t / attack);
        return rise * rise;
    }
    return std::exp(-(t - attack) / decay);
}

// A held note with raised-cosine edges, so gated beeps start and stop without a click.
inline double gateEnvelope(double t, double length, double attack, double release)
{
    if (t <= 0.0 || t >= length)
        return 0.0;
    if (t < attack)
        return 0.5 - 0.5 * std::cos(Pi * t / attack);
    if (t > length - release)
        return 0.5 - 0.5 * std::cos(Pi * (length - t) / release);
    return 1.0;
}

// The standard library's distributions differ between implementations; our own generator keeps
// the files byte-identical on every build machine.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ULL | 1U) {}

    // Uniform in [-1, 1).
    double next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<double>(m_state >> 11) * 0x1.0p-52 - 1.0;
    }

private:
    std::uint64_t m_state;
};

// Phase accumulator, so a gliding pitch stays continuous from sample to sample.
class Oscillator {
public:
    double sine(double hz) { return std::sin(TwoPi * advance(hz)); }

    double saw(double hz)
    {
        const double step = hz / SampleRate;
        const double phase = advance(hz);
        return 2.0 * phase - 1.0 - polyBlep(phase, step);
    }

    // Zero-mean pulse, high for `duty` of each cycle, built as the difference of two saws.
    double pulse(double hz, double duty)
    {
        const double step = hz / SampleRate;
        const double phase = advance(hz);
        const double shifted = std::fmod(phase + duty, 1.0);
        return 2.0 * (phase - shifted) - polyBlep(phase, step) + polyBlep(shifted, step);
    }

private:
    // Returns the phase in cycles before stepping it on by one sample.
    double advance(double hz)
    {
        const double phase = m_phase;
        m_phase += hz / SampleRate;
        m_phase -= std::floor(m_phase);
        return phase;
    }

    // Rounds off the ramp's jump; a naive sawtooth aliases into an audible fizz on high notes.
    static double polyBlep(double phase, double step)
    {
        if (phase < step) {
            const double x = phase / step;
            return x + x - x * x - 1.0;
        }
        if (phase > 1.0 - step) {
            const double x = (phase - 1.0) / step;
            return x * x + x + x + 1.0;
        }
        return 0.0;
    }

    double m_phase = 0.0;
};

// Second-order filters after the well-known audio cookbook formulas. The coefficients may be set
// again on every sample while the state carries on, which is how the formants glide.
class Biquad {
public:
    void setLowPass(double hz, double q)
    {
        const Shape s = shape(hz, q);
        set((1.0 - s.cosine) / 2.0, 1.0 - s.cosine, (1.0 - s.cosine) / 2.0, s);
    }

    // Unity gain at the centre frequency.
    void setBandPass(double hz, double q)
    {
        const Shape s = shape(hz, q);
        set(s.alpha, 0.0, -s.alpha, s);
    }

    double process(double x)
    {
        const double y = m_b0 * x + m_z1;
        m_z1 = m_b1 * x - m_a1 * y + m_z2;
        m_z2 = m_b2 * x - m_a2 * y;
        return y;
    }

private:
    struct Shape {
        double cosine;
        double alpha;
    };

    static Shape shape(double hz, double q)
    {
        const double w = TwoPi * std::min(hz, 0.45 * SampleRate) / SampleRate;
        return {std::cos(w), std::sin(w) / (2.0 * q)};
    }

    void set(double b0, double b1, double b2, const Shape &s)
    {
        const double a0 = 1.0 + s.alpha;
        m_b0 = b0 / a0;
        m_b1 = b1 / a0;
        m_b2 = b2 / a0;
        m_a1 = -2.0 * s.cosine / a0;
        m_a2 = (1.0 - s.alpha) / a0;
    }

    double m_b0 = 0.0, m_b1 = 0.0, m_b2 = 0.0, m_a1 = 0.0, m_a2 = 0.0;
    double m_z1 = 0.0, m_z2 = 0.0;
};

// One mode of a vibrating body: an input impulse of 1 starts a sine of amplitude 1 that dies away
// with time constant `decay`. Hits that land while it rings add to the ring, as on a real bell.
class Resonator {
public:
    Resonator(double hz, double decay)
    {
        const double radius = std::exp(-1.0 / (decay * SampleRate));
        const double w = TwoPi * hz / SampleRate;
        m_c1 = 2.0 * radius * std::cos(w);
        m_c2 = -radius * radius;
        m_gain = std::sin(w);
    }

    double process(double x)
    {
        const double y = m_c1 * m_y1 + m_c2 * m_y2 + m_gain * x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    double m_c1, m_c2, m_gain;
    double m_y1 = 0.0, m_y2 = 0.0;
};

// Adds `voice(t)` for t in [0, length) seconds into `mix` from `start` on; whatever would run past
// the end of the sound is dropped. `voice` is called in order, so it may keep state.
template <typename Voice> void addVoice(Signal &mix, double start, double length, Voice &&voice)
{
    const std::size_t first = toSamples(start);
    const std::size_t count = toSamples(length);
    for (std::size_t i = 0; i < count && first + i < mix.size(); ++i)
        mix[first + i] += voice(timeOf(i));
}

// One overtone of a struck body, as a multiple of the note's frequency.
struct Partial {
    double ratio;
    double amplitude;
    double decay; // time constant in seconds
};

// A struck note (bell, bar, tine): every partial rings on its own and the high ones die first,
// which is what makes a tone sound struck rather than held. `decayScale` stretches all decays.
void addStrike(Signal &mix, double start, double hz, std::span<const Partial> partials, double gain,
               double decayScale = 1.0);

// The short noisy knock of a hammer, mallet or impact, centred on `hz`.
void addKnock(Signal &mix, double start, double hz, double decay, double gain, std::uint64_t seed);

// Fades both ends to silence, so playback starts and stops without a click, and scales the peak
// to -3 dBFS, leaving headroom that keeps every sample clear of clipping.
void finish(Signal &signal, double fadeOutSeconds);

} // namespace synth
