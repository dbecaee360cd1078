#pragma once

// The clock window's public state, shared with the player, the alarm window and
// the settings. Booleans are plain bools; the numbers keep the widths they have
// in the settings and alarm files.
struct BigCFormState {
    bool isshowing = false;  // the clock window is shown, not only the tray icon
    bool alarmON = false;    // the hourly chime is playing
    bool alarmwin = false;   // an alarm is in progress; no other alarm starts meanwhile
    bool alaringnow = false; // a playlist item is playing
    int currentind = 0;      // slot of the alarm in progress
    bool fadeoutabled = false;
    int snnhin = 0;       // minute of the hour at which Snooze was pressed
    int ampm = 0;         // nonzero: 24-hour display; 0: 12-hour with AM/PM
    int adjustsize = 100; // display size in percent
};
