#pragma once

#include <QString>

// What the player is asked to play.
struct PlayRequest {
    QString file;
    int volume = 0;      // hundredths of a decibel, 0 full
    bool repeat = false; // starts again at the end until the player is closed
    bool showWindow = false;
    bool fadeIn = false; // starts at -40 dB and rises to full volume

    friend bool operator==(const PlayRequest &, const PlayRequest &) = default;
};

// The request that the program's one play routine makes of its arguments: a
// video, or repeatShown, shows the player; repeatHidden repeats without
// showing it; fadeFlag 1 fades in.
PlayRequest playfileRequest(const QString &file, int volume, bool repeatShown, int fadeFlag,
                            bool repeatHidden);
