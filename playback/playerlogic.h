#pragma once

#include <QtGlobal>

// What the player window decides on its ticks, from the engine's readings.
// Volumes are in hundredths of a decibel, engine times in milliseconds.
namespace PlayerLogic {

// Where a media engine is with the file it opened.
enum class MediaStatus {
    Loading, // the file is being read; its length may not be known yet
    Ready,   // playable: running, paused or stopped before its end
    Ended,   // the position has reached the end of the file
    Failed,  // the file cannot be played; nothing will come of it
};

constexpr int FadeInStart = -4000;
constexpr int FadeStep = 1000;
constexpr int FadeOutEnd = -6000;

// A reading taken first to hundredths of a second and then to whole seconds,
// each half going to the even neighbour: 2505 ms is 2.50 s and then 2.
int wholeSeconds(qint64 ms);

// A reading rounded straight to the nearest second, a half going to the even
// neighbour: 2505 ms is 3. The seek bar shows this.
int nearestSecond(qint64 ms);

// The volume a file opens at: a fade-in starts 40 dB below the volume asked
// for, and never below silence.
int openVolume(int vlme, int fadein);

struct FadeStepResult {
    int volume;
    int fadein;
    bool fadeoutDone; // the fade-out has reached -60 dB: the alarm is over
};

// One position tick: a fade-in (fadein 1) raises the volume by 10 dB up to
// `target`, the volume asked for, and not beyond; a fade-out lowers it by
// 10 dB until -60 dB. A fade-out also ends a fade-in still running; the two
// steps would otherwise cancel out forever.
FadeStepResult fadeTick(int volume, int fadein, bool fadeout, int target = 0);

enum class EndAction { None, Restart, Close, GiveUp };

// How many end checks in a row a file may spend loading (some 20 s) before it
// is given up as one that cannot be played: its decoder is stuck, and the
// alarm goes on to its next sound.
inline constexpr int kEndChecksToOpen = 9;

// The end check: with less than a second left a file closes the player, and
// a repeated one restarts once the engine has reached its end (a restart
// before would cut its last moments off; an engine that reports its end
// restarts it at once, so this is the safety net for one that does not). A
// file that cannot be played closes the player, repeated or not. While the
// engine is still reading the file and has no length yet nothing is decided,
// since the remaining time is unknown, until `checksLoading` (the checks in a
// row that found it loading) reaches kEndChecksToOpen: then it is given up.
EndAction endCheck(MediaStatus status, qint64 durationMs, int txtlength, qint64 positionMs,
                   bool bloop, int checksLoading);

} // namespace PlayerLogic
