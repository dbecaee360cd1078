#pragma once

#include <QString>

// The media files a user may pick: music first, then video, each with the
// formats the media engine plays, then any file, in the form
// "Name|*.a;*.b|Name|*.c" that the program has always stored.
inline const QString kMediaFileFilter = QStringLiteral(
    "Music Files|*.wav;*.wma;*.cda;*.mid;*.midi;*.mp3;*.ogg;*.oga;*.opus;*.flac;*.m4a;*.aac|"
    "Video Files|*.avi;*.mpg;*.dat;*.mov;*.flv;*.mp4;*.m4v;*.mkv;*.webm|"
    "All files|*");

// The same filter in the form the platform's file dialog takes:
// "Name (*.a *.b);;Name (*.c)".
QString toFileDialogFilter(const QString &filter);
