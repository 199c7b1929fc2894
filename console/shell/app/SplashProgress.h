// The splash's running bar: a tenth more each tick; once full it starts again.
#pragma once

// The fraction to show after a bar that reads current (held within [0, 1]).
double NextSplashFraction(double current);
