#pragma once

#include <QtGlobal>

// Local wall time is counted in seconds with every day this long (see the
// alarm engine's schedule), and the digit painter reads the time of day the same way.
inline constexpr qint64 kSecondsPerDay = 24 * 60 * 60;
