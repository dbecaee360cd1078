#pragma once

#include <QLoggingCategory>

// What the clock window does, for whoever watches the program from outside.
// Off unless QT_LOGGING_RULES turns on "tockaro.clock.info".
Q_DECLARE_LOGGING_CATEGORY(lcClock)
