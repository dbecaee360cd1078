#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One line on the pipes between the program and its sound program: what an
// engine is asked to do, or what it tells. Each line is "verb engine number
// text": the engine is the program's own number for it, the number and the
// text are the verb's (a volume, a time, a status with its reason). The text
// is percent-encoded, so a file name with a space or a line break in it stays
// one field of one line.
//
// To the sound program: window (for a video, its first line: the X11 window
// its picture is drawn into, 0 for none), repeat (0 or 1), open (the file as
// text), run, pause, volume (centibels), seek (ms), position, expose (draw the
// picture again), close. From it: duration (ms), status (the MediaStatus, a
// failure's reason as text), position (ms).
struct SoundLine {
    QByteArray verb;
    quint64 engine = 0;
    qint64 number = 0;
    QString text;

    bool operator==(const SoundLine &) const = default;
};

// The line with its ending.
QByteArray encodeSoundLine(const SoundLine &line);
// The whole lines at the start of `pending`, taken from it; a line that is not
// made as encodeSoundLine makes them is dropped, the last one unfinished stays.
QList<SoundLine> takeSoundLines(QByteArray &pending);
