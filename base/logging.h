#pragma once

#include <QLoggingCategory>

// What the windows do, for whoever watches the program from outside. Off
// unless QT_LOGGING_RULES turns on "tockaro.clock.info" or "tockaro.alarms.info".
Q_DECLARE_LOGGING_CATEGORY(lcClock)
Q_DECLARE_LOGGING_CATEGORY(lcAlarms)

// Where the player's engines come from, and why there are none when the media
// module cannot be loaded. Off unless QT_LOGGING_RULES turns on
// "tockaro.playback.info".
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
