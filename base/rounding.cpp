#include "base/rounding.h"

#include <cmath>

double roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(down, 2.0) != 0.0))
        return down + 1.0;
    return down;
}
