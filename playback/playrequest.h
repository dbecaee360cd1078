#pragma once

#include <QString>

// What the player is asked to play.
struct PlayRequest {
    QString file;
    int volume = 0;          // hundredths of a decibel, 0 full
    bool repeat = false;     // starts again at the end until the player is closed
    bool showWindow = false; // a video shows its picture anyway
    bool fadeIn = false;     // starts 40 dB below the volume and rises to it

    friend bool operator==(const PlayRequest &, const PlayRequest &) = default;
};
