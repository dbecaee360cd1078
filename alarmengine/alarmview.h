#pragma once

#include <QString>

// What the window of a ringing alarm shows.
struct ShownAlarm {
    QString timeText;
    QString dateText;
    QString message;
    // A line about how this alarm rang; empty for none.
    QString note;

    friend bool operator==(const ShownAlarm &, const ShownAlarm &) = default;
};

// The window of a ringing alarm, as the alarm engine sees it. The user's
// answers (Snooze, OK, the window closed) come back to the engine as calls.
class AlarmView {
public:
    // Shows the alarm, in place of any shown before.
    virtual void showAlarm(const ShownAlarm &alarm) = 0;
    // Closes the window as its close box would: the engine hears of it as it
    // hears of any other close.
    virtual void closeAlarm() = 0;

protected:
    ~AlarmView() = default;
};
