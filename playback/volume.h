#pragma once

// The program keeps every volume in hundredths of a decibel: 0 is full volume
// and -10000 (-100 dB) is silence. Media engines take a linear factor instead;
// these convert at the seam, so the program's own value never passes through
// an engine's reverse conversion, which loses everything below -60 dB.
namespace Volume {

constexpr int Full = 0;
constexpr int Silent = -10000;

// 0 gives 1.0, -2000 gives 0.1; Silent and below give exactly 0, above Full gives 1.
double linearFromCentibels(int centibels);

// The nearest hundredth of a decibel, within Silent..Full; 0 and below give Silent.
int centibelsFromLinear(double linear);

// A loudness as the user sets it, 0 to 100 % of full amplitude, and back: 100
// is Full, 50 about -6 dB, 0 Silent. Values beyond either end are taken as that end.
int centibelsFromPercent(int percent);
int percentFromCentibels(int centibels);

} // namespace Volume
