#pragma once

// The clock window's public state, as the settings set it. What rings lives in
// AlarmInProgress.
struct BigCFormState {
    bool isshowing = false; // the clock window is shown, not only the tray icon
    int ampm = 0;           // nonzero: 24-hour display; 0: 12-hour with AM/PM
    int adjustsize = 100;   // display size in percent
};
