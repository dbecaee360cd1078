#pragma once

#include <QByteArray>

// The program's own alarm sound, for when none of the built-in sound files
// can be played: a WAV file of four short beeps and a pause, made in memory
// so that it needs nothing from the disk but a place to be played from.
QByteArray alarmToneWav();
