#include "base/logging.h"

Q_LOGGING_CATEGORY(lcClock, "tockaro.clock", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAlarms, "tockaro.alarms", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlayback, "tockaro.playback", QtWarningMsg)
