// The label a block draws: cut to the body's width, then turned into display text by
// the "Common" module. Empty when the module does not open or nothing is left.
#pragma once

#include <string>

#include "BlockLook.h"

std::string BlockDisplayLabel(const DeviceBlockLook& look, int bodyWidth);
