#include "app/logging.h"

Q_LOGGING_CATEGORY(lcClock, "tockaro.clock", QtWarningMsg)
