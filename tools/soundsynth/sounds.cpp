#include "sounds.h"

#include <array>

using namespace synth;

namespace {

// Odd harmonics rolled off much faster than a true square's, so a beep carries through a
// bedroom without the buzz of a full square wave.
double softSquare(double cycles)
{
    const double x = TwoPi * cycles;
    return std::sin(x) + 0.22 * std::sin(3.0 * x) + 0.07 * std::sin(5.0 * x);
}

// Fundamental with a little of the octave and twelfth: rounder than softSquare, so the two
// alarms are told apart by timbre as well as by rhythm.
double warmTone(double cycles)
{
    const double x = TwoPi * cycles;
    return std::sin(x) + 0.3 * std::sin(2.0 * x) + 0.12 * std::sin(3.0 * x);
}

// A synth-brass voice: three slightly detuned saws through a low-pass that opens sharply at the
// start of the note and then partly closes, the "blat" that makes brass sound blown.
void addBrass(Signal &mix, double start, double length, double hz, double gain)
{
    constexpr double Release = 0.12;
    constexpr std::array Detune{1.0, 1.0035, 0.9965};
    std::array<Oscillator, 3> saws;
    Biquad tone;
    addVoice(mix, start, length + Release, [&](double t) {
        const double opening = (1.0 - std::exp(-t / 0.02)) * (0.55 + 0.45 * std::exp(-t / 0.25));
        tone.setLowPass(1.5 * hz + 4000.0 * opening, 0.9);
        // Players only lean into vibrato once a note has settled.
        const double vibrato = 1.0 + 0.004 * smoothStep(0.25, 0.5, t) * std::sin(TwoPi * 5.5 * t);
        double x = 0.0;
        for (std::size_t i = 0; i < saws.size(); ++i)
            x += saws[i].saw(hz * Detune[i] * vibrato);
        return gain * gateEnvelope(t, length + Release, 0.03, Release) * tone.process(x / 3.0);
    });
}

// The overtones of a tuned church bell: the hum an octave below, the minor-third tierce and
// the slightly stretched upper partials are what the ear takes for a bell.
constexpr std::array<Partial, 11> ChurchBell{{
    {0.5, 0.35, 2.6},
    {1.0, 0.5, 1.7},
    {1.183, 0.45, 1.4},
    {1.506, 0.2, 0.9},
    {2.0, 0.6, 1.1},
    {2.514, 0.22, 0.5},
    {2.662, 0.15, 0.4},
    {3.011, 0.12, 0.3},
    {4.166, 0.08, 0.18},
    {5.433, 0.05, 0.1},
    {6.285, 0.03, 0.07},
}};

// Marimba bars are cut so their first overtone sits two octaves up; those overtones fade almost
// at once against the warm fundamental, which gives the wooden "tok".
constexpr std::array<Partial, 3> MarimbaBar{{
    {1.0, 1.0, 0.5},
    {3.99, 0.28, 0.11},
    {9.9, 0.07, 0.035},
}};

// A music-box tine is a clamped bar: its overtones lie far above the note and die in a moment,
// leaving the pure ringing tone.
constexpr std::array<Partial, 3> CombTine{{
    {1.0, 1.0, 1.0},
    {6.27, 0.3, 0.09},
    {17.55, 0.08, 0.025},
}};

// A hanging chime tube rings mostly on its fundamental, with the free bar's inharmonic overtones.
constexpr std::array<Partial, 4> ChimeTube{{
    {1.0, 1.0, 1.5},
    {2.76, 0.35, 0.5},
    {5.40, 0.12, 0.2},
    {8.93, 0.05, 0.08},
}};

// Real bells and tines are never perfectly round, so each partial is split into two close
// frequencies that beat slowly; without it they sound like electronic organs.
void addWarbledStrike(Signal &mix, double start, double hz, std::span<const Partial> partials,
                      double gain, double decayScale = 1.0)
{
    addStrike(mix, start, hz, partials, 0.6 * gain, decayScale);
    addStrike(mix, start, hz * 1.0015, partials, 0.4 * gain, decayScale);
}

// Low notes of wooden and metal bars ring longer than high ones.
double decayForPitch(double hz)
{
    return std::pow(440.0 / hz, 0.4);
}

} // namespace

namespace sounds {

Signal alarm1()
{
    // Two bursts of four quick beeps, the classic bedside pattern.
    constexpr double Hz = 1250.0;
    constexpr double Beep = 0.09;
    Signal out(toSamples(2.0));
    for (int burst = 0; burst < 2; ++burst) {
        for (int beep = 0; beep < 4; ++beep) {
            const double start = 0.02 + burst * 1.0 + beep * 0.15;
            addVoice(out, start, Beep, [&](double t) {
                return gateEnvelope(t, Beep, 0.006, 0.006) * softSquare(Hz * t);
            });
        }
    }
    finish(out, 0.02);
    return out;
}

Signal alarm2()
{
    // Triple beeps whose pitch climbs a major triad from group to group: insistent, but it
    // sounds like it is getting somewhere rather than just repeating.
    constexpr std::array GroupNotes{81.0, 85.0, 88.0};
    constexpr double Beep = 0.1;
    Signal out(toSamples(2.4));
    for (std::size_t group = 0; group < GroupNotes.size(); ++group) {
        const double hz = noteHz(GroupNotes[group]);
        for (int beep = 0; beep < 3; ++beep) {
            const double start = 0.03 + static_cast<double>(group) * 0.8 + beep * 0.14;
            addVoice(out, start, Beep, [&](double t) {
                return gateEnvelope(t, Beep, 0.008, 0.012) * warmTone(hz * t);
            });
        }
    }
    finish(out, 0.02);
    return out;
}

Signal astalavista()
{
    // Power chords (root, fifth, octave below) in D minor: up the triad, back down, and a
    // long final chord with the octave above added for weight.
    struct Chord {
        double start;
        double length;
        double root;
    };
    constexpr std::array<Chord, 7> Motif{{
        {0.02, 0.13, 62.0},
        {0.20, 0.13, 65.0},
        {0.38, 0.50, 69.0},
        {0.97, 0.13, 67.0},
        {1.15, 0.13, 65.0},
        {1.33, 0.13, 64.0},
        {1.52, 1.05, 62.0},
    }};
    Signal out(toSamples(2.8));
    for (const Chord &chord : Motif) {
        addBrass(out, chord.start, chord.length, noteHz(chord.root), 1.0);
        addBrass(out, chord.start, chord.length, noteHz(chord.root + 7.0), 0.7);
        addBrass(out, chord.start, chord.length, noteHz(chord.root - 12.0), 0.8);
    }
    const Chord &last = Motif.back();
    addBrass(out, last.start, last.length, noteHz(last.root + 12.0), 0.5);
    finish(out, 0.1);
    return out;
}

Signal bells()
{
    // Four bells rung down the scale, each left to ring under the next.
    constexpr std::array Primes{69.0, 67.0, 65.0, 60.0};
    Signal out(toSamples(3.0));
    for (std::size_t i = 0; i < Primes.size(); ++i) {
        const double start = 0.01 + 0.5 * static_cast<double>(i);
        addWarbledStrike(out, start, noteHz(Primes[i]), ChurchBell, 1.0);
        addKnock(out, start, 3200.0, 0.004, 0.4, 100 + i);
    }
    finish(out, 0.25);
    return out;
}

Signal electronics()
{
    // A fast pulse-wave arpeggio over C, A minor, F and G, each chord up and back down. The
    // pitch drops into every note from slightly above, the blip of old home computers.
    constexpr std::array<std::array<double, 3>, 4> Chords{{
        {84.0, 88.0, 91.0},
        {81.0, 84.0, 88.0},
        {77.0, 81.0, 84.0},
        {79.0, 83.0, 86.0},
    }};
    constexpr std::array<std::size_t, 7> Walk{0, 1, 2, 3, 2, 1, 0};
    constexpr double Step = 0.07;
    constexpr double Note = 0.055;
    Signal out(toSamples(2.0));
    int index = 0;
    for (const auto &chord : Chords) {
        for (std::size_t degree : Walk) {
            const double hz = noteHz(degree < chord.size() ? chord[degree] : chord[0] + 12.0);
            Oscillator oscillator;
            Biquad smoothing;
            smoothing.setLowPass(4500.0, 0.7);
            addVoice(out, 0.02 + index * Step, Note, [&](double t) {
                const double blip = 1.0 + 0.06 * std::exp(-t / 0.006);
                return gateEnvelope(t, Note, 0.003, 0.01) *
                       smoothing.process(oscillator.pulse(hz * blip, 0.25));
            });
            ++index;
        }
    }
    finish(out, 0.02);
    return out;
}

Signal household()
{
    // A kitchen-timer bell: a small steel dome hammered about twenty times a second by a
    // clockwork clapper. The dome is a bank of resonators, so every hit feeds the ring that is
    // already sounding instead of restarting it.
    struct Mode {
        double hz;
        double decay;
        double gain;
    };
    constexpr std::array<Mode, 4> Dome{{
        {2240.0, 0.35, 1.0},
        {3370.0, 0.22, 0.6},
        {5180.0, 0.12, 0.35},
        {7460.0, 0.06, 0.2},
    }};
    struct Ringing {
        double from;
        double to;
    };
    constexpr std::array<Ringing, 2> Ringings{{{0.03, 1.2}, {1.45, 2.2}}};
    constexpr double HitsPerSecond = 22.0;

    Signal out(toSamples(2.6));
    // A clockwork escapement is never quite regular; the small wander in time and force is what
    // makes it sound mechanical rather than like a sampled loop.
    Signal hits(out.size());
    Noise wander(7);
    std::uint64_t seed = 300;
    for (const Ringing &ringing : Ringings) {
        for (double at = ringing.from; at < ringing.to; at += 1.0 / HitsPerSecond) {
            const double force = 0.85 + 0.15 * wander.next();
            addKnock(hits, at + 0.002 * wander.next(), 4000.0, 0.0004, force, ++seed);
        }
    }

    std::array<Resonator, 4> modes{{
        {Dome[0].hz, Dome[0].decay},
        {Dome[1].hz, Dome[1].decay},
        {Dome[2].hz, Dome[2].decay},
        {Dome[3].hz, Dome[3].decay},
    }};
    for (std::size_t i = 0; i < out.size(); ++i) {
        double ring = 0.0;
        for (std::size_t m = 0; m < modes.size(); ++m)
            ring += Dome[m].gain * modes[m].process(hits[i]);
        // Some of the clapper's own clack reaches the ear directly.
        out[i] = ring + 0.3 * hits[i];
    }
    finish(out, 0.05);
    return out;
}

Signal maribell()
{
    // A tune in F major on steps of an eighth note, over a simple bass; the last two notes are
    // rolled, as a marimba player sustains a long note.
    struct Note {
        int step;
        double pitch;
        double gain;
    };
    constexpr std::array<Note, 13> Tune{{
        {0, 72.0, 1.0},
        {0, 53.0, 0.7},
        {1, 69.0, 0.8},
        {2, 72.0, 0.9},
        {3, 77.0, 1.0},
        {4, 76.0, 0.9},
        {4, 60.0, 0.7},
        {5, 74.0, 0.8},
        {6, 72.0, 0.9},
        {8, 69.0, 0.9},
        {8, 58.0, 0.7},
        {9, 67.0, 0.8},
        {10, 60.0, 0.6},
    }};
    constexpr double Eighth = 0.17;
    Signal out(toSamples(2.6));
    std::uint64_t seed = 500;
    for (const Note &note : Tune) {
        const double start = 0.01 + note.step * Eighth;
        const double hz = noteHz(note.pitch);
        addStrike(out, start, hz, MarimbaBar, note.gain, decayForPitch(hz));
        addKnock(out, start, 1200.0, 0.003, 0.15 * note.gain, ++seed);
    }
    // One mallet per note, the hands alternating half a stroke apart.
    constexpr std::array RolledChord{65.0, 69.0};
    constexpr double Stroke = 0.07;
    for (int stroke = 0; stroke < 8; ++stroke) {
        const double gain = 0.75 * std::pow(0.82, stroke);
        for (std::size_t hand = 0; hand < RolledChord.size(); ++hand) {
            const double start =
                0.01 + 10 * Eighth + (stroke + 0.5 * static_cast<double>(hand)) * Stroke;
            const double hz = noteHz(RolledChord[hand]);
            addStrike(out, start, hz, MarimbaBar, gain, decayForPitch(hz));
        }
    }
    finish(out, 0.2);
    return out;
}

Signal moo()
{
    // A cow's moo: a buzzing voice source at 100-140 Hz shaped by a nasal resonance and two
    // formants that move as the mouth opens from "mm" to "oo" and half closes again.
    constexpr double Length = 2.3;
    Oscillator glottis;
    Noise breath(11);
    Noise wobble(12);
    Biquad wander;
    wander.setLowPass(6.0, 0.7);
    Biquad nasal;
    Biquad firstFormant;
    Biquad secondFormant;
    Biquad thirdFormant;
    nasal.setBandPass(260.0, 3.0);
    thirdFormant.setBandPass(2500.0, 8.0);
    Biquad softening;
    softening.setLowPass(3000.0, 0.7);

    Signal out(toSamples(Length));
    addVoice(out, 0.0, Length, [&](double t) {
        // The pitch swells up at the start and sags at the end of the breath.
        const double pitch =
            105.0 + 35.0 * smoothStep(0.0, 0.6, t) - 45.0 * smoothStep(1.3, 2.2, t);
        // No living voice holds a pitch exactly: a slow random wander of about one per cent.
        const double hz = pitch * (1.0 + 0.4 * wander.process(wobble.next()));
        const double open = smoothStep(0.15, 0.7, t) * (1.0 - 0.5 * smoothStep(1.6, 2.2, t));
        firstFormant.setBandPass(280.0 + 300.0 * open, 4.0);
        secondFormant.setBandPass(850.0 + 250.0 * open, 6.0);

        const double source = softening.process(glottis.saw(hz) + 0.08 * breath.next());
        const double voiced = 0.9 * nasal.process(source) + firstFormant.process(source) +
                              0.45 * secondFormant.process(source) +
                              0.1 * thirdFormant.process(source);
        const double loudness =
            smoothStep(0.0, 0.35, t) * (1.0 - smoothStep(1.8, 2.25, t)) * (0.6 + 0.4 * open);
        return loudness * voiced;
    });
    finish(out, 0.05);
    return out;
}

Signal musical()
{
    // A music-box waltz phrase in C, the tune on the upper tines over a bass note per bar.
    struct Note {
        int step;
        double pitch;
        double gain;
    };
    constexpr std::array<Note, 14> Tune{{
        {0, 88.0, 1.0},
        {0, 72.0, 0.6},
        {1, 91.0, 0.8},
        {2, 96.0, 0.9},
        {3, 95.0, 1.0},
        {3, 67.0, 0.6},
        {4, 91.0, 0.8},
        {5, 86.0, 0.8},
        {6, 89.0, 1.0},
        {6, 65.0, 0.6},
        {7, 93.0, 0.8},
        {8, 91.0, 0.9},
        {9, 88.0, 1.0},
        {9, 72.0, 0.7},
    }};
    constexpr double Step = 0.19;
    Signal out(toSamples(2.8));
    for (const Note &note : Tune) {
        const double hz = noteHz(note.pitch);
        addWarbledStrike(out, 0.01 + note.step * Step, hz, CombTine, note.gain, decayForPitch(hz));
    }
    finish(out, 0.2);
    return out;
}

Signal ricochet()
{
    // Bullets glancing off rock: each zing starts with a sharp impact, then a whistle that falls
    // fast and then slowly, with air noise following the same pitch and a tumbling wobble.
    struct Zing {
        double start;
        double fromHz;
        double toHz;
        double length;
        double gain;
    };
    constexpr std::array<Zing, 4> Zings{{
        {0.03, 4200.0, 700.0, 0.55, 1.0},
        {0.55, 3600.0, 900.0, 0.45, 0.8},
        {0.95, 4800.0, 600.0, 0.6, 0.9},
        {1.5, 3900.0, 800.0, 0.4, 0.7},
    }};
    Signal out(toSamples(2.0));
    std::uint64_t seed = 900;
    for (const Zing &zing : Zings) {
        addKnock(out, zing.start, 2500.0, 0.006, 0.8 * zing.gain, ++seed);
        Oscillator whistle;
        Noise air(++seed);
        Biquad airBand;
        addVoice(out, zing.start, zing.length, [&](double t) {
            const double sweep = std::exp(-t / (0.3 * zing.length));
            const double wobble = 1.0 + 0.012 * std::sin(TwoPi * 23.0 * t);
            const double hz = (zing.toHz + (zing.fromHz - zing.toHz) * sweep) * wobble;
            airBand.setBandPass(hz, 6.0);
            const double envelope = strikeEnvelope(t, 0.004, 0.45 * zing.length) *
                                    gateEnvelope(t, zing.length, 0.0005, 0.05);
            return zing.gain * envelope *
                   (0.7 * whistle.sine(hz) + 0.9 * airBand.process(air.next()));
        });
    }
    finish(out, 0.05);
    return out;
}

Signal chime()
{
    // Ding, dong, dong: three tubes down an F major triad, the last left to ring out.
    constexpr std::array Notes{81.0, 77.0, 72.0};
    Signal out(toSamples(3.0));
    for (std::size_t i = 0; i < Notes.size(); ++i) {
        const double start = 0.01 + 0.6 * static_cast<double>(i);
        const double hz = noteHz(Notes[i]);
        addWarbledStrike(out, start, hz, ChimeTube, 1.0, decayForPitch(hz));
        addKnock(out, start, 2000.0, 0.002, 0.2, 700 + i);
    }
    finish(out, 0.3);
    return out;
}

} // namespace sounds
