#pragma once

#include "base/result.h"

// Turns the computer off, for an alarm with the sleep option. Tests pass a
// double: no test may ever turn the machine off.
class PowerOff {
public:
    virtual ~PowerOff() = default;
    // Starts the power-off without waiting for it; says why when it could not
    // be started.
    virtual Result powerOff() = 0;
};
