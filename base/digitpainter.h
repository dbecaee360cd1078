#pragma once

#include <QImage>
#include <QRect>
#include <QtGui/qwindowdefs.h>

#include <array>
#include <limits>

// Draws the clock's six digits at each whole second by itself, away from the
// event loop, so that an idle clock's program does not wake for them. The clock
// window hands it the pictures of its digits and their places and how to read
// the time; it reads the wall clock itself.
class DigitPainter {
public:
    static constexpr int kDigits = 6;

    struct Scene {
        WId window = 0; // the native window drawn into
        // Each digit's place in that window, in device pixels.
        std::array<QRect, kDigits> places;
        // The pictures of every digit showing 0 to 9 in one image, a row a
        // digit and a column a value: digit d showing v is the size of its
        // place at (v * cell width, d * cell height).
        QImage pictures;
        QSize cell;
    };

    // Local time from the wall clock's UTC seconds: the offset now, and the
    // one it changes to at a known second (daylight saving).
    struct TimeRule {
        bool twentyFourHour = false;
        int offsetSeconds = 0;
        qint64 offsetChangesAt = std::numeric_limits<qint64>::max();
        int offsetAfter = 0;

        friend bool operator==(const TimeRule &, const TimeRule &) = default;
    };

    virtual ~DigitPainter() = default;

    // False when these pictures cannot be drawn into that window; the window
    // then paints its digits itself.
    virtual bool setScene(const Scene &scene) = 0;
    virtual void setTimeRule(const TimeRule &rule) = 0;
    // Drawing each second while the window is shown; not while it is hidden.
    virtual void setDrawing(bool drawing) = 0;
};

// The six digits HH MM SS of a second of the day (0 to 86399), the hour from
// 1 to 12 in the 12-hour form, as the clock's time text has them.
inline std::array<int, DigitPainter::kDigits> clockDigits(int secondOfDay, bool twentyFourHour)
{
    int hour = secondOfDay / 3600;
    if (!twentyFourHour)
        hour = hour % 12 == 0 ? 12 : hour % 12;
    const int minute = secondOfDay / 60 % 60;
    const int second = secondOfDay % 60;
    return {hour / 10, hour % 10, minute / 10, minute % 10, second / 10, second % 10};
}
