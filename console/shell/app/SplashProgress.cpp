#include "SplashProgress.h"

double NextSplashFraction(double current)
{
    double value = current == 1.0 ? 0.0 : current;
    value += 0.1;
    // The bar clamps what it is given; the value it reads back is what counts.
    if (value > 1.0)
        value = 1.0;
    if (value < 0.0)
        value = 0.0;
    return value;
}
