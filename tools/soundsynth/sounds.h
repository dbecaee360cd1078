#pragma once

#include "dsp.h"

// One function per built-in sound; each returns the finished sound at its file level.
namespace sounds {

synth::Signal alarm1();
synth::Signal alarm2();
synth::Signal astalavista();
synth::Signal bells();
synth::Signal electronics();
synth::Signal household();
synth::Signal maribell();
synth::Signal moo();
synth::Signal musical();
synth::Signal ricochet();

// The hourly chime, encoded to MP3 after it is written.
synth::Signal chime();

} // namespace sounds
