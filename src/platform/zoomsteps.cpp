#include "platform/zoomsteps.h"

#include <algorithm>
#include <cmath>

namespace Zelkor::ZoomSteps {

int bounded(int percent)
{
    return std::clamp(percent, Min, Max);
}

int zoomIn(int percent)
{
    for (int step : Steps)
        if (step > percent)
            return step;
    return Max;
}

int zoomOut(int percent)
{
    for (auto it = Steps.rbegin(); it != Steps.rend(); ++it)
        if (*it < percent)
            return *it;
    return Min;
}

int scaled(int size, int percent)
{
    if (size <= 1 || percent == Normal)
        return size;
    const double s = std::round(double(size) * bounded(percent) / 100.0);
    return std::max(1, int(std::min(s, 1e9)));
}

} // namespace Zelkor::ZoomSteps
