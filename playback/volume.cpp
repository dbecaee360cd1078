#include "playback/volume.h"

#include <algorithm>
#include <cmath>

double Volume::linearFromCentibels(int centibels)
{
    if (centibels >= Full)
        return 1.0;
    if (centibels <= Silent)
        return 0.0;
    return std::pow(10.0, centibels / 2000.0);
}

int Volume::centibelsFromLinear(double linear)
{
    if (!(linear > 0.0))
        return Silent;
    if (linear >= 1.0)
        return Full;
    const long rounded = std::lround(2000.0 * std::log10(linear));
    return rounded < Silent ? Silent : static_cast<int>(rounded);
}

int Volume::centibelsFromPercent(int percent)
{
    return centibelsFromLinear(std::clamp(percent, 0, 100) / 100.0);
}

int Volume::percentFromCentibels(int centibels)
{
    return static_cast<int>(std::lround(linearFromCentibels(centibels) * 100.0));
}
